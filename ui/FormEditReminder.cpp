#include "ui/FormEditReminder.h"
#include "ui_FormEditReminder.h"

#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderCommands.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/SoundFileCheck.h"
#include "runtime/UserInterface.h"
#include "ui/ActionButton.h"
#include "ui/EditorIconPreview.h"
#include "ui/EditorPage.h"
#include "ui/EditorSoundTest.h"
#include "ui/FrameMail.h"
#include "ui/FrameShellExec.h"
#include "ui/FrameSticker.h"
#include "ui/HubForm.h"
#include "ui/IconLibrary.h"
#include "ui/ReportErrors.h"
#include "ui/TimetablePage.h"
#include "ui/UiPrompts.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/SpeedButtons.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

namespace keys = settings_keys;

namespace {

QPointer<TFormEditReminder> &currentEditor() {
  static QPointer<TFormEditReminder> editor;
  return editor;
}

// The store keeps CRLF line breaks; the text box works with "\n".
QString FromStoredText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

QString ToStoredText(QString text) {
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return text;
}

QString DataFolder(const TModel &model) { return QFileInfo(GetDataFileName(model)).absolutePath(); }

} // namespace

TFormEditReminder::TFormEditReminder(TModel &model, IUserInterface &userInterface,
                                     const QString &id, int defaultRepeatType)
    : ui(std::make_unique<Ui::FormEditReminder>()), m_model(model), m_ui(userInterface), m_id(id),
      m_defaultRepeatType(defaultRepeatType), m_modified(id == NewReminderId) {
  ui->setupUi(this);
  currentEditor() = this;
  m_hub = new THubForm(this, m_model);
  m_icon = new TEditorIconPreview(m_model, ui->ImageIco, this);
  // The pages, one line each; a tab without its page stays empty.
  m_timetable = placePage(ui->TabSheetTimetable, new TTimetablePage(m_model, this));
  m_sticker = placePage(ui->TabSheetSticker, new TFrameSticker(m_model, m_ui));
  m_mail = placePage(ui->TabSheetMail, new TFrameMail(m_model));
  m_shellExec = placePage(ui->TabSheetShellExec, new TFrameShellExec(m_model));

  m_sound = std::make_unique<TEditorSoundTest>(m_hub->handle());
  // Without a name: what it says comes from the messages, not from the window's captions.
  m_soundProblem = new QLabel(ui->GroupBoxSound);
  m_soundProblem->setWordWrap(true);
  m_soundProblem->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
  m_soundProblem->hide();
  ui->LayoutSound->addWidget(m_soundProblem, 3, 0, 1, 4);
  connectControls();
  updateTestSoundButton();
  loadSettings();
}

TFormEditReminder::~TFormEditReminder() {
  m_sound.reset();
  // The preview copy goes with the editor (and its preview sticker with it): the reminder fires
  // again from now on.
  m_model.SetPreviewReminder(nullptr);
  if (currentEditor() == this)
    currentEditor() = nullptr;
}

TFormEditReminder *TFormEditReminder::Current() { return currentEditor(); }

IEditorPage *TFormEditReminder::placePage(QWidget *tab, IEditorPage *page) {
  QWidget *widget = page->Widget();
  tab->layout()->addWidget(widget);
  if (page->IsLanguageFrame())
    m_hub->addLanguageFrame(widget);
  return page;
}

QList<IEditorPage *> TFormEditReminder::pages() const {
  QList<IEditorPage *> list;
  for (IEditorPage *page : {m_timetable, m_sticker, m_mail, m_shellExec})
    if (page)
      list << page;
  return list;
}

void TFormEditReminder::connectControls() {
  BindButtonToAction(ui->ButtonOk, ui->ActionOk);
  BindButtonToAction(ui->ButtonCancel, ui->ActionCancel);
  BindButtonToAction(ui->ButtonDelete, ui->ActionDelete);
  BindButtonToAction(ui->ButtonApply, ui->ActionApply);
  BindButtonToAction(ui->ButtonOpenIco, ui->OpenIco);
  BindButtonToAction(ui->ButtonClearIco, ui->ActionClearIco);
  BindButtonToAction(ui->ButtonOpenSound, ui->OpenSound);
  BindButtonToAction(ui->ButtonTestSound, ui->TestSound);
  BindButtonToAction(ui->ButtonClearSound, ui->ActionClearSound);
  // Return in the subject box must not press a button of the dialog.
  for (QPushButton *button : findChildren<QPushButton *>())
    button->setAutoDefault(false);

  connect(ui->ActionOk, &QAction::triggered, this, [this] { (void)ActionOkExecute(); });
  connect(ui->ActionCancel, &QAction::triggered, this, [this] { reject(); });
  connect(ui->ActionDelete, &QAction::triggered, this, Reported([this] { ActionDeleteExecute(); }));
  connect(ui->ActionApply, &QAction::triggered, this, Reported([this] { ActionApplyExecute(); }));
  connect(ui->OpenIco, &QAction::triggered, this, Reported([this] { openIcoExecute(); }));
  connect(ui->ActionClearIco, &QAction::triggered, this, Reported([this] { clearIcoExecute(); }));
  connect(ui->OpenSound, &QAction::triggered, this, Reported([this] { openSoundExecute(); }));
  connect(ui->TestSound, &QAction::triggered, this, [this] { TestSoundExecute(); });
  connect(ui->ActionClearSound, &QAction::triggered, this,
          Reported([this] { clearSoundExecute(); }));
  connect(ui->ButtonMakeLng, &QPushButton::clicked, this, [this] { MakeLanguageFile(); });

  // Every change marks the editor modified; while loading, SetModified does nothing, but the
  // handlers still bring the dependent controls in line.
  const auto modified = [this] { SetModified(); };
  connect(ui->EditSubject, &QLineEdit::textChanged, this, modified);
  connect(ui->RichEditText, &QPlainTextEdit::textChanged, this, modified);
  connect(ui->EditSoundFileName, &QLineEdit::textChanged, this, [this] {
    updateSoundProblem(false);
    SetModified();
  });
  connect(ui->EditSoundFileName, &QLineEdit::editingFinished, this,
          [this] { updateSoundProblem(true); });
  connect(ui->CheckBoxSoundEnable, &QCheckBox::toggled, this,
          [this] { updateSoundProblem(false); });
  for (QCheckBox *box : {ui->CheckBoxSoundEnable, ui->CheckBoxSoundRepeat, ui->CheckBoxAsDefault})
    connect(box, &QCheckBox::toggled, this, modified);
  connect(ui->CheckBoxEnable, &QCheckBox::toggled, this, [this](bool on) {
    updateImageEnabled();
    for (IEditorPage *page : pages())
      page->EnabledChanged(on);
    SetModified();
  });
  connect(ui->CheckBoxStickerEnable, &QCheckBox::toggled, this, [this] {
    applyStickerSwitch();
    SetModified();
  });
  connect(ui->CheckBoxTrayIconEnable, &QCheckBox::toggled, this, [this](bool on) {
    m_icon->UpdateTray(on);
    SetModified();
  });
  for (QCheckBox *box : {ui->CheckBoxMailEnable, ui->CheckBoxShellExecEnable})
    connect(box, &QCheckBox::toggled, this, [this] {
      updateTabs();
      SetModified();
    });
  connect(ui->TrackBarSoundVolume, &QSlider::valueChanged, this, [this](int position) {
    m_sound->SetVolume(position);
    SetModified();
  });
  m_hub->onMessage(msg::MM_MCINOTIFY, [this](uintptr_t code, intptr_t lParam) {
    soundNotify(code, lParam);
    return intptr_t(0);
  });
}

// --- Settings --------------------------------------------------------------------------------

void TFormEditReminder::loadSettings() {
  m_hub->RestoreBounds(TBoundsKeys::Position);
  const QString section = keys::FormEditReminder;
  m_currentSoundDir =
      m_model.MainSettings().readString(section, keys::CurrentSoundDir, DataFolder(m_model));
  m_currentIcoDir =
      m_model.MainSettings().readString(section, keys::CurrentIcoDir, DataFolder(m_model));
  for (IEditorPage *page : pages())
    page->LoadOptions();
}

void TFormEditReminder::saveSettings() {
  m_hub->SaveBounds();
  const QString section = keys::FormEditReminder;
  m_model.MainSettings().writeString(section, keys::CurrentIcoDir, m_currentIcoDir);
  m_model.MainSettings().writeString(section, keys::CurrentSoundDir, m_currentSoundDir);
  for (IEditorPage *page : pages())
    page->SaveOptions();
  (void)SaveMainSettings(m_model); // a failure has been shown; the editor closes all the same
}

// --- Loading ---------------------------------------------------------------------------------

void TFormEditReminder::LoadReminder() {
  m_loading = true;
  const auto loaded = qScopeGuard([this] { m_loading = false; });
  RunReported([this] {
    TDataObject *reminder = nullptr;
    if (m_id == NewReminderId) {
      reminder = m_model.NewReminderTemplate();
      // A template copied from a stored reminder ("Add as") keeps that reminder's schedule.
      if (reminder && reminder->Id == NewReminderId)
        reminder->SetDefaultSchedule(TRepeatType(m_defaultRepeatType));
    } else {
      reminder = m_model.Reminders().FindById(m_id);
    }
    if (!reminder)
      return;
    loadMainPage(*reminder);
    if (m_timetable)
      m_timetable->LoadFromReminder(m_id);
    m_icon->Load(*reminder);
    m_icon->UpdateTray(ui->CheckBoxTrayIconEnable->isChecked());
    reminder = nullptr; // the message below may re-read every reminder
    stopAndPreview();
    for (IEditorPage *page : {m_sticker, m_mail, m_shellExec})
      if (page)
        page->LoadFromReminder(m_id);
    updateTestSoundButton();
    updateSoundProblem(true);
    updateImageEnabled();
    applyStickerSwitch();
    updateTabs();
    ClearSpeedButtonCaptions(this, 1);
    SpeedButtonHintsFromActions(this);
  });
}

void TFormEditReminder::loadMainPage(const TDataObject &reminder) {
  ui->LabelId->setText(reminder.Id);
  ui->EditSubject->setText(reminder.subject);
  ui->RichEditText->setPlainText(FromStoredText(reminder.text));
  ui->CheckBoxEnable->setChecked(reminder.enable);
  ui->CheckBoxAsDefault->setChecked(reminder.default_);
  ui->CheckBoxTrayIconEnable->setChecked(reminder.tray);
  ui->CheckBoxStickerEnable->setChecked(reminder.sticker.enable);
  ui->CheckBoxMailEnable->setChecked(reminder.mail.enable);
  ui->CheckBoxShellExecEnable->setChecked(reminder.shellExec.enable);
  ui->CheckBoxSoundEnable->setChecked(reminder.sound.enable);
  ui->EditSoundFileName->setText(reminder.sound.fileName);
  ui->TrackBarSoundVolume->setValue(reminder.sound.volume);
  ui->CheckBoxSoundRepeat->setChecked(reminder.sound.repeat);
}

// The reminder's own sticker, tray icon and sound end, and the preview copy keeps it from firing
// while it is edited (for "new", a reminder with the store's defaults).
void TFormEditReminder::stopAndPreview() {
  SendStopReminderOutputs(m_model, m_id);
  m_model.SetPreviewReminder(TDataObject::Create(m_model, m_id));
}

void TFormEditReminder::StoreReminder(TDataObject &reminder) {
  reminder.SetEnabled(ReminderEnabled());
  reminder.subject = ui->EditSubject->text();
  reminder.text = ToStoredText(ui->RichEditText->toPlainText());
  reminder.sticker.enable = ui->CheckBoxStickerEnable->isChecked();
  reminder.mail.enable = ui->CheckBoxMailEnable->isChecked();
  reminder.shellExec.enable = ui->CheckBoxShellExecEnable->isChecked();
  reminder.sound.enable = ui->CheckBoxSoundEnable->isChecked();
  reminder.sound.fileName = ui->EditSoundFileName->text().trimmed();
  reminder.sound.volume = ui->TrackBarSoundVolume->value();
  reminder.sound.repeat = ui->CheckBoxSoundRepeat->isChecked();
  if (m_timetable)
    m_timetable->SaveToReminder(reminder);
  reminder.tray = ui->CheckBoxTrayIconEnable->isChecked();
  reminder.default_ = ui->CheckBoxAsDefault->isChecked();
}

void TFormEditReminder::SetModified() {
  if (!m_loading)
    m_modified = true;
}

bool TFormEditReminder::ReminderEnabled() const { return ui->CheckBoxEnable->isChecked(); }

// --- Ok, Cancel, Delete -----------------------------------------------------------------------

bool TFormEditReminder::ActionOkExecute() {
  bool saved = false;
  RunReported([this, &saved] { saved = save(); });
  return saved;
}

bool TFormEditReminder::save() {
  if (!pagesAgreeToSave())
    return false;
  // The pages write themselves into the record; the command does the rest (the new id, the
  // one-time rule, the item, the file, the list, the main window's row).
  const TEditSaveResult result =
      SaveEditedReminder(m_model, m_id, m_defaultRepeatType, [this](TDataObject &target) {
        StoreReminder(target);
        m_icon->Save(target);
        if (m_sticker) {
          m_sticker->SaveToReminder(target);
          m_sticker->SavePictures(target);
        }
        for (IEditorPage *page : {m_mail, m_shellExec})
          if (page)
            page->SaveToReminder(target);
      });
  switch (result.outcome) {
  case TEditSaveOutcome::Gone:
    // Removed by another window while the editor was open: there is nothing to save into.
    m_modified = false;
    done(Rejected);
    return false;
  case TEditSaveOutcome::NotSaved:
    // The store has told the user; the editor stays open with every change.
    return false;
  case TEditSaveOutcome::Saved:
    break;
  }
  m_id = result.id;
  m_modified = false;
  done(Accepted);
  (void)hub().send(MasterWindowHandle(), msg::WM_SETTINGS_CHANGED);
  return true;
}

// Before, Ok asked no page: an address that is no address was saved, and the firing's mail then
// failed. A page that refuses keeps the editor open before anything is written, and is brought
// to the front with the field it named. A hidden tab's action is off, so its page is not used
// when the reminder fires and keeps nobody from saving; it is asked when its action is on again.
bool TFormEditReminder::pagesAgreeToSave() {
  QTabWidget *tabs = ui->PageControl1;
  for (IEditorPage *page : pages()) {
    const int tab = tabs->indexOf(page->Widget()->parentWidget());
    if (tab >= 0 && !tabs->isTabVisible(tab))
      continue;
    if (!page->CheckBeforeSave()) {
      if (tab >= 0)
        tabs->setCurrentIndex(tab);
      return false;
    }
  }
  return true;
}

void TFormEditReminder::reject() {
  if (closeQuery())
    done(Rejected);
}

bool TFormEditReminder::closeQuery() {
  if (!m_modified)
    return true;
  switch (
      uiPrompts().askYesNoCancel(TranslateText(QStringLiteral("Reminder was changed. Save?")))) {
  case UiPrompts::Answer::Yes:
    // Ok closes the editor itself, or keeps it open when the data file did not take the save.
    (void)ActionOkExecute();
    return false;
  case UiPrompts::Answer::No:
    return true;
  case UiPrompts::Answer::Cancel:
    break;
  }
  return false;
}

void TFormEditReminder::done(int result) {
  if (!m_closed) {
    m_closed = true;
    m_sound->Stop();
    updateTestSoundButton();
    RunReported([this] { saveSettings(); });
  }
  QDialog::done(result);
}

void TFormEditReminder::CloseForShutDown() {
  m_modified = false;
  done(Rejected);
}

void TFormEditReminder::ActionDeleteExecute() {
  // The user asked for the reminder to go: no "Save?" question, and nothing saved into it.
  m_modified = false;
  done(Rejected);
  if (m_id == NewReminderId)
    return;
  // Into Trash, or from Trash for good; the command reads the store again and has it shown.
  if (const int32_t number = m_model.Reminders().NumberOf(m_id))
    (void)DeleteReminders(m_model, number);
}

void TFormEditReminder::ActionApplyExecute() { applyStickerSwitch(); }

// --- Tabs and switches ------------------------------------------------------------------------

void TFormEditReminder::applyStickerSwitch() {
  if (TDataObject *preview = m_model.PreviewReminder()) {
    preview->sticker.enable = ui->CheckBoxStickerEnable->isChecked();
    StoreReminder(*preview);
    for (IEditorPage *page : pages())
      page->PreviewChanged();
  }
  updateTabs();
}

void TFormEditReminder::updateTabs() {
  QTabWidget *tabs = ui->PageControl1;
  tabs->setTabVisible(tabs->indexOf(ui->TabSheetSticker), ui->CheckBoxStickerEnable->isChecked());
  tabs->setTabVisible(tabs->indexOf(ui->TabSheetMail), ui->CheckBoxMailEnable->isChecked());
  tabs->setTabVisible(tabs->indexOf(ui->TabSheetShellExec),
                      ui->CheckBoxShellExecEnable->isChecked());
}

void TFormEditReminder::updateImageEnabled() {
  const bool on = ReminderEnabled();
  ui->ImageEnabled->setPixmap(iconlibrary::icon(TImageList::Editor, on ? 7 : 8).pixmap(16, 16));
  ui->ImageEnabled->setToolTip(
      TranslateText(on ? QStringLiteral("Enable") : QStringLiteral("disabled")));
}

// --- Tray icon --------------------------------------------------------------------------------

void TFormEditReminder::openIcoExecute() {
  TFileChoice choice;
  choice.title = ui->OpenIco->text().remove(QLatin1Char('&'));
  choice.folder = m_currentIcoDir;
  // The first filter is the one the dialog starts with.
  choice.filter = TranslateText(QStringLiteral("Icons and animated cursors")) +
                  QStringLiteral(" (*.ico;*.ani)|*.ico;*.ani|") +
                  TranslateText(QStringLiteral("Icons")) + QStringLiteral(" (*.ico)|*.ico|") +
                  TranslateText(QStringLiteral("Animated cursors")) +
                  QStringLiteral(" (*.ani)|*.ani");
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  m_currentIcoDir = QFileInfo(file).absolutePath();
  LoadIconFile(file);
}

void TFormEditReminder::LoadIconFile(const QString &fileName) {
  // The preview reads the whole file before it changes anything: a file it refuses is shown and
  // the editor stays as it was.
  if (!RunReported([this, &fileName] { m_icon->LoadFile(fileName); }))
    return;
  SetModified();
  m_icon->UpdateTray(ui->CheckBoxTrayIconEnable->isChecked());
}

void TFormEditReminder::clearIcoExecute() {
  m_icon->Clear();
  ui->CheckBoxTrayIconEnable->setChecked(false);
  m_icon->UpdateTray(false);
  SetModified();
}

// --- Sound ------------------------------------------------------------------------------------

void TFormEditReminder::openSoundExecute() {
  TFileChoice choice;
  choice.title = ui->OpenSound->text().remove(QLatin1Char('&'));
  const QString current = ui->EditSoundFileName->text().trimmed();
  if (current.isEmpty())
    choice.folder = m_currentSoundDir;
  else
    choice.fileName = current;
  choice.filter =
      TranslateText(QStringLiteral("Sounds")) +
      QStringLiteral(" (*.wav;*.mp3;*.ogg;*.flac;*.mid)|*.wav;*.mp3;*.ogg;*.flac;*.mid|") +
      TranslateText(QStringLiteral("All files")) + QStringLiteral(" (*)|*");
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  ui->EditSoundFileName->setText(file);
  m_currentSoundDir = QFileInfo(file).absolutePath();
  updateSoundProblem(true);
}

void TFormEditReminder::TestSoundExecute() {
  RunReported([this] {
    m_sound->Toggle(ui->EditSoundFileName->text().trimmed(), ui->TrackBarSoundVolume->value());
  });
  updateTestSoundButton();
}

void TFormEditReminder::clearSoundExecute() {
  m_sound->Stop();
  updateTestSoundButton();
  ui->EditSoundFileName->clear();
  ui->CheckBoxSoundEnable->setChecked(false);
}

// The sound was accepted without a word when its file was missing or would not play: the group
// says why it cannot play. Typing checks that the file is there; a chosen, loaded or finished
// name is also opened by the sound player.
void TFormEditReminder::updateSoundProblem(bool openFile) {
  const QString file = ui->EditSoundFileName->text();
  QString problem;
  if (ui->CheckBoxSoundEnable->isChecked() || !file.trimmed().isEmpty())
    problem = openFile ? TEditorSoundTest::ProblemOf(file) : SoundFileProblem(file);
  m_soundProblem->setText(problem);
  m_soundProblem->setVisible(!problem.isEmpty());
}

QString TFormEditReminder::SoundProblem() const { return m_soundProblem->text(); }

void TFormEditReminder::updateTestSoundButton() {
  ui->TestSound->setIcon(iconlibrary::icon(TImageList::Editor, m_sound->Playing() ? 1 : 0));
}

void TFormEditReminder::soundNotify(uintptr_t code, intptr_t lParam) {
  if (m_sound->Notify(code, lParam, ui->CheckBoxSoundRepeat->isChecked()))
    updateTestSoundButton();
}

// --- Language ---------------------------------------------------------------------------------

void TFormEditReminder::MakeLanguageFile() {
  RunReported([this] { SaveLanguageSections(GetDefaultLanguageFileName()); });
}

void TFormEditReminder::SaveLanguageSections(const QString &fileName) {
  SaveFormLanguageFile(this, fileName);
  for (IEditorPage *page : pages())
    if (page->IsLanguageFrame())
      SaveFormLanguageFile(page->Widget(), fileName);
}
