#include "model/LanguageTable.h"

#include "model/MessageFormat.h"
#include "platform/Errors.h"
#include "platform/MemIniFile.h"

#include <QDebug>

#include <algorithm>
#include <memory>

namespace {

const QString MessagesSection = QStringLiteral("Messages");
const QString CrLf = QStringLiteral("\r\n");
const QString Slash = QStringLiteral("/");

// The process's table: translation is a service of the whole program, asked for by every layer
// and also before any model exists (a start that is refused) or after it ended (its last notice).
std::unique_ptr<TLanguageTable> &table() {
  static std::unique_ptr<TLanguageTable> current;
  return current;
}

} // namespace

// Has no "/" of its own, so translating the footer cannot break it into lines.
QString MakerWebAddress() { return QStringLiteral("www.tolvane.example"); }

QString TLanguageTable::Value(const QString &key) const {
  for (const auto &[k, v] : m_lines)
    if (k.compare(key, Qt::CaseInsensitive) == 0)
      return v;
  return QString();
}

TLanguageTable *LanguageTable() { return table().get(); }
void CreateLanguageTable() { table() = std::make_unique<TLanguageTable>(); }
void FreeLanguageTable() { table().reset(); }

QString TranslateText(const QString &message) {
  const TLanguageTable *t = LanguageTable();
  if (!t || message.trimmed().isEmpty())
    return message;
  QString key = message;
  key.replace(CrLf, Slash);
  QString value = t->Value(key);
  if (value.isEmpty())
    value = message;
  return value.replace(Slash, CrLf);
}

void LoadLanguageFile(const QString &fileName) {
  TLanguageTable *t = LanguageTable();
  if (!t || fileName.isEmpty())
    return;
  TMMemIniFile ini;
  try {
    if (!ini.loadFromFile(fileName))
      return;
  } catch (const ETolvaneError &e) {
    qWarning() << "Language file not read:" << e.message();
    return;
  }
  t->Clear();
  for (const QString &line : ini.readSectionValues(MessagesSection)) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq > 0)
      t->Add(line.left(eq), line.mid(eq + 1));
  }
}

const QStringList &LanguageFileSections() {
  static const QStringList sections = {QStringLiteral("FormMaster"),
                                       QStringLiteral("FormMain"),
                                       QStringLiteral("FrameReminder"),
                                       QStringLiteral("FrameMix"),
                                       QStringLiteral("FrameLog"),
                                       QStringLiteral("FormEditReminder"),
                                       QStringLiteral("FrameSticker"),
                                       QStringLiteral("FrameMail"),
                                       QStringLiteral("FrameShellExec"),
                                       QStringLiteral("FormEditReminderDT"),
                                       QStringLiteral("FormEditReminderYear"),
                                       QStringLiteral("FormEditReminAfter"),
                                       QStringLiteral("FormEditVolume"),
                                       QStringLiteral("FormAbout"),
                                       MessagesSection};
  return sections;
}

// Any text reads as an ini file, so only a section the program knows tells a language file from
// a file chosen by mistake (a renamed settings file, a picture, a text of another program).
bool IsLanguageFile(const QString &fileName) {
  TMMemIniFile ini;
  try {
    if (fileName.isEmpty() || !ini.loadFromFile(fileName))
      return false;
  } catch (const ETolvaneError &) {
    return false;
  }
  const QStringList &known = LanguageFileSections();
  return std::any_of(known.begin(), known.end(),
                     [&ini](const QString &section) { return ini.sectionExists(section); });
}

void WriteDefaultLanguageFile(const QString &fileName) {
  TMMemIniFile ini;
  if (fileName.isEmpty() || !ini.loadFromFile(fileName))
    return;
  for (const QString &message : DefaultLanguageMessages()) {
    if (message.trimmed().isEmpty())
      continue;
    const QString key = QString(message).replace(CrLf, Slash);
    ini.writeString(MessagesSection, key, key);
  }
  ini.saveToFile(fileName);
}

QString MailFooterText() {
  return QStringList{QString(),
                     QString(),
                     QString(23, u'-'),
                     QStringLiteral("How to use:"),
                     QStringLiteral("Save attached file to any folder."),
                     QStringLiteral("Open Tolvane. Choose menu \"File\"->\"Add from File\" and "
                                    "select saved file."),
                     MakerWebAddress()}
      .join(CrLf);
}

namespace {

// The table of the program's first messages, in its order.
QStringList tableMessages() {
  return {// general
          QStringLiteral("Invalid name!"), QStringLiteral("New"),
          // unit words
          QStringLiteral("minute"), QStringLiteral("minutes"), QStringLiteral("hour"),
          QStringLiteral("hours"), QStringLiteral("day"), QStringLiteral("days"),
          QStringLiteral("week"), QStringLiteral("weeks"), QStringLiteral("month"),
          QStringLiteral("months"), QStringLiteral("year"), QStringLiteral("years"),
          // schedule words
          QStringLiteral("on the"), QStringLiteral("at"), QStringLiteral("every"),
          QStringLiteral("Enable"), QStringLiteral("running"), QStringLiteral("run"),
          QStringLiteral("duration"), QStringLiteral("disabled"),
          // questions and notices
          QStringLiteral("Delete?"), QStringLiteral("Reminder was changed. Save?"),
          QStringLiteral("Nothing is selected!"), QStringLiteral("Sorry, can't save file!"),
          QStringLiteral("Done!"), QStringLiteral("Error"),
          QStringLiteral("Sorry, can't send mail! (bad parameters!)"),
          QStringLiteral("Sorry, email was not sent!"),
          QStringLiteral("Sorry, can't find parameters!"),
          QStringLiteral("New reminders are not found!"),
          QStringLiteral("Added or updated %d reminders!"),
          QStringLiteral("If the same reminders are found, update them?"),
          QStringLiteral("Program and mail actions are switched off for:"),
          QStringLiteral("Sorry, can't save to the program's own data file!"),
          QStringLiteral("Next dates of run:"), QStringLiteral("Never occurs"),
          QStringLiteral("%d h %d min"),
          // mail footer
          MailFooterText(),
          // the main window's menu bar
          QStringLiteral("&File"), QStringLiteral("&View"), QStringLiteral("&Help"),
          // list states
          QStringLiteral("Active"), QStringLiteral("Archive"), QStringLiteral("Trash"),
          QStringLiteral("Loading..."),
          // repeat types
          QStringLiteral("Once"), QStringLiteral("Minutely"), QStringLiteral("Hourly"),
          QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Monthly"),
          QStringLiteral("Annually"),
          // units
          QStringLiteral("minute"), QStringLiteral("hour"), QStringLiteral("day"),
          QStringLiteral("week"), QStringLiteral("month"), QStringLiteral("year"),
          // start bounds
          QStringLiteral("after defined time"), QStringLiteral("after defined date and time"),
          QStringLiteral("after windows start"),
          // stop bounds
          QStringLiteral("until defined time"), QStringLiteral("until defined date and time"),
          QStringLiteral("within hourly limits"), QStringLiteral("within daily limits"),
          QStringLiteral("until hour end"), QStringLiteral("until midnight"),
          QStringLiteral("until week end"), QStringLiteral("until month end"),
          QStringLiteral("until year end"),
          // schedule summary
          QStringLiteral("Run reminder:"), QStringLiteral("at"), QStringLiteral("every"),
          QStringLiteral("on"), QStringLiteral("of"), QStringLiteral("Start bound:"),
          QStringLiteral("Stop bound:"), QStringLiteral("Duration"),
          QStringLiteral("remind before for"),
          // the editor's next run
          QStringLiteral("now, until"), QStringLiteral("Reminder disabled"),
          // help
          QStringLiteral("Sorry, can't find the help file!"),
          QStringLiteral("No program on this computer opens HTML files, so the help cannot be "
                         "shown. The help file is:"),
          // the other messages the windows, the tray menu and the log show
          QStringLiteral("New reminder"), QStringLiteral("Copy of"), QStringLiteral("Start"),
          QStringLiteral("Stop"), QStringLiteral("Program start"), QStringLiteral("Program stop"),
          QStringLiteral("abandoned at program stop"),
          QStringLiteral("You are really want to clear all from log file?"),
          QStringLiteral("Save all data in settings folder"),
          QStringLiteral("Sorry, can't read the reminder file!"),
          QStringLiteral("It is damaged or no reminder file."),
          QStringLiteral("It is kept as it is; until it reads again, the reminders come from the "
                         "backup."),
          QStringLiteral("It is kept as it is; there is no backup to take the reminders from, so "
                         "none fire until it reads again."),
          QStringLiteral("The reminder file was changed by another program."),
          QStringLiteral("That version is kept as:"), QStringLiteral("Timetable"),
          QStringLiteral("File not found"), QStringLiteral("Icons and animated cursors"),
          QStringLiteral("Icons"), QStringLiteral("Animated cursors"), QStringLiteral("Sounds"),
          QStringLiteral("All pictures"), QStringLiteral("All files"), QStringLiteral("Font"),
          QStringLiteral("Color..."), QStringLiteral("Color:")};
}

// Notices on files chosen by mistake and on what keeps the program from starting or saving,
// written after the table.
QStringList fileNoticeMessages() {
  return {QStringLiteral("The file is not a reminder file!"),
          QStringLiteral("The file is not found."),
          QStringLiteral("The file is empty."),
          QStringLiteral("The file is not XML."),
          QStringLiteral("The file holds no reminders."),
          QStringLiteral("The reminders stay in:"),
          QStringLiteral("The file is not a language file!"),
          QStringLiteral("Sorry, can't copy file!"),
          QStringLiteral("is no mail address."),
          QStringLiteral("No sound file is chosen."),
          QStringLiteral("The sound file is not found:"),
          QStringLiteral("The sound file can't be read:"),
          QStringLiteral("The sound file can't be played:"),
          QStringLiteral("The settings file cannot be read; the program starts with its default "
                         "settings and cannot save them."),
          QStringLiteral("Tolvane cannot make sure that it runs only once for you, so it does "
                         "not start.")};
}

} // namespace

QStringList DefaultLanguageMessages() { return tableMessages() + fileNoticeMessages(); }

QString TranslateFormat(const QString &english, const QVariantList &args) {
  return SafeFormat(TranslateText(english), english, args);
}
