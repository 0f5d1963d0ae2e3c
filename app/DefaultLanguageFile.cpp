#include "app/DefaultLanguageFile.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "platform/Errors.h"
#include "runtime/Application.h"
#include "runtime/FormMaster.h"
#include "runtime/HeadlessUserInterface.h"
#include "runtime/Ticker.h"
#include "ui/FormAbout.h"
#include "ui/FormEditReminAfter.h"
#include "ui/FormEditReminder.h"
#include "ui/FormEditReminderDT.h"
#include "ui/FormEditReminderYear.h"
#include "ui/FormEditVolume.h"
#include "ui/FormMain.h"
#include "ui/FrameLog.h"
#include "ui/FrameMix.h"
#include "ui/FrameReminder.h"
#include "widgets/FormLanguageFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The windows in the order of their sections: the tray window (its menu and the sticker's popup),
// the main window with its pages, the editor with its pages (the editor writes the sections of its
// frames itself), then the editor's dialogs and the dialogs of a firing reminder. A window that
// lands later is one more line here. The send-mail dialog keeps its captions in every language.
void saveEveryWindow(TModel &model, IUserInterface &ui, const QString &file) {
  const std::vector<std::function<void()>> windows = {
      [&] {
        // Never created: no tray icon, no store, no settings; its ticker never runs.
        TFormMaster master(model, ui, std::make_unique<TManualTicker>());
        SaveFormLanguageFile(&master, file);
      },
      [&] {
        // The main window's own section; its pages write theirs below.
        TFormMain form(model, ui);
        SaveFormLanguageFile(&form, file);
      },
      [&] {
        TFrameReminder frame(model, ui);
        SaveFormLanguageFile(&frame, file);
      },
      [&] {
        TFrameMix frame(model);
        SaveFormLanguageFile(&frame, file);
      },
      [&] {
        TFrameLog frame(model, ui);
        SaveFormLanguageFile(&frame, file);
      },
      [&] {
        TFormEditReminder editor(model, ui, NewReminderId, 2);
        editor.SaveLanguageSections(file);
      },
      [&] {
        TFormEditReminderDT dialog(model);
        SaveFormLanguageFile(&dialog, file);
      },
      [&] {
        TFormEditReminderYear dialog(model);
        SaveFormLanguageFile(&dialog, file);
      },
      [&] {
        TFormEditReminAfter dialog(model);
        SaveFormLanguageFile(&dialog, file);
      },
      [&] {
        TFormEditVolume dialog(model);
        SaveFormLanguageFile(&dialog, file);
      },
      [&] {
        TFormAbout box(model);
        box.SaveLanguageSection(file);
      },
  };
  for (const auto &saveWindow : windows)
    saveWindow();
}

// Building the windows reads settings and names data folders (an editor's file dialogs start in
// the data folder, which naming creates): all of that happens in a scratch home, so making the
// file touches nothing of the user's.
void useScratchHome(const QTemporaryDir &home) {
  const QByteArray path = QFile::encodeName(home.path());
  qputenv("HOME", path);
  qputenv("XDG_CONFIG_HOME", path + "/.config");
  qputenv("XDG_DATA_HOME", path + "/.local/share");
  qputenv("XDG_RUNTIME_DIR", path);
  qunsetenv("TOLVANE_PROGRAM_DIR");
}

} // namespace

int MakeDefaultLanguageFile(int argc, char **argv, const QString &fileName) {
  const QString file = QFileInfo(fileName).absoluteFilePath();
  QTemporaryDir home;
  if (!home.isValid()) {
    std::fprintf(stderr, "tolvane: no scratch folder for the language file: %s\n",
                 qPrintable(home.errorString()));
    return 1;
  }
  useScratchHome(home);
  // The windows are built, never shown: no display is needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  try {
    TModel model(TModelStart::Empty);
    THeadlessUserInterface ui;
    if (QFileInfo::exists(file) && !QFile::remove(file))
      throw EFileError(QStringLiteral("Cannot replace \"%1\"").arg(file));
    saveEveryWindow(model, ui, file);
    WriteDefaultLanguageFile(file);
  } catch (...) {
    std::fprintf(stderr, "tolvane: %s\n", qPrintable(errors::describeCurrentException()));
    return 1;
  }
  return 0;
}
