// A program built like tolvane, for the tests of the program entry: its model and windows write
// what happens to them into the marker file named by TOLVANE_TEST_MARKER.
//   TOLVANE_TEST_MODAL=1  the main window runs a local event loop, as a modal window does
//   TOLVANE_TEST_THROW=1  opening the main window throws
//   TOLVANE_TEST_REPORT=1 the model's end reports a notice
//   TOLVANE_TEST_ABORT_TICK=1 the first tick of the timer ends in a silent abort; every tick is
//                         marked
//   TOLVANE_TEST_THROW_AT_START=1 an event handled during the start-up check throws, as one may
//                         in the grace pump of a reminder program launched at start-up

#include "app/ProgramEntry.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "platform/Errors.h"
#include "runtime/FormMaster.h"
#include "runtime/HeadlessUserInterface.h"
#include "runtime/ReminderRuntime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdlib>
#include <stdexcept>

namespace {

void mark(const QString &line) {
  QFile f(qEnvironmentVariable("TOLVANE_TEST_MARKER"));
  if (f.open(QIODevice::Append))
    f.write(line.toUtf8() + '\n');
}

// TOLVANE_TEST_ABORT_TICK: marks each tick; the first one aborts. On a loaded machine it may come
// before the start-up check, from the pump that paints the tray icon.
// TOLVANE_TEST_THROW_AT_START: the start-up check runs the event loop, and an event throws.
class TestRuntime final : public IReminderRuntime {
public:
  void Timer1Timer() override {
    ++m_ticks;
    if (!qEnvironmentVariableIsSet("TOLVANE_TEST_ABORT_TICK"))
      return;
    mark(QStringLiteral("tick %1").arg(m_ticks));
    if (m_ticks == 1)
      throw EAbort();
  }
  void CheckAllReminders() override {
    ++m_checks;
    if (qEnvironmentVariableIsSet("TOLVANE_TEST_THROW_AT_START") && m_checks == 1) {
      QTimer::singleShot(0, [] { throw std::runtime_error("the start-up failed"); });
      QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
  }
  void CheckReminder(int) override {}
  void CloseReminder(int, bool) override {}
  void CloseAllReminders() override {}
  void StopReminderOutputs(int) override {}
  void HandleSoundNotify(quint16) override {}
  void RaiseOnTopStickers() override {}
  std::optional<PopupState> PopupMenuObjectPopup(int) override { return {}; }
  void ActionCloseByUserExecute(int) override {}
  void ActionRemindAfterExecute(int, const QString &) override {}
  void ActionReminderSoundStopExecute(int, bool) override {}
  void ActionReminderSoundVolumeExecute(int) override {}
  void ActionEditExecute(int) override {}

private:
  int m_ticks = 0;
  int m_checks = 0;
};

// The main window's part and the message boxes, as marks.
class MarkingUserInterface final : public THeadlessUserInterface {
public:
  void ShowMainWindowPage(const QString &, int page) override {
    mark(QStringLiteral("show main window %1").arg(page));
    if (qEnvironmentVariableIsSet("TOLVANE_TEST_THROW"))
      throw std::runtime_error("the main window failed");
    if (qEnvironmentVariableIsSet("TOLVANE_TEST_MODAL")) {
      QEventLoop loop;
      loop.exec();
      mark(QStringLiteral("main window loop ended"));
    }
  }
  void ShowMessage(const QString &message) override { mark(QStringLiteral("message: ") + message); }
  void ShowException(const QString &message) override {
    mark(QStringLiteral("exception: ") + message);
  }
};

class HelperProgram final : public IProgram {
public:
  HelperProgram() {
    // What the programs a reminder starts inherit.
    mark(QStringLiteral("platform variable: ") + qEnvironmentVariable("QT_QPA_PLATFORM"));
  }
  void ShowMessage(const QString &message) override { m_ui.ShowMessage(message); }
  void Started() override {}
  void ShowWaitingNotices() override {} // each was marked as it came
  TFormMaster &Start() override {
    mark(QStringLiteral("initialize"));
    // A model of its own that reads no settings and no reminders.
    m_model = std::make_unique<TModel>(TModelStart::Empty);
    WriteLog(*m_model, QStringLiteral("Program start"));
    m_master = std::make_unique<TFormMaster>(*m_model, m_ui);
    if (qEnvironmentVariableIsSet("TOLVANE_TEST_ABORT_TICK") ||
        qEnvironmentVariableIsSet("TOLVANE_TEST_THROW_AT_START"))
      m_master->SetReminderRuntime(std::make_unique<TestRuntime>());
    return *m_master;
  }
  void Finish() override {
    if (qEnvironmentVariableIsSet("TOLVANE_TEST_REPORT"))
      errors::reportInfo(QStringLiteral("Sorry, can't save file!"));
    mark(QStringLiteral("finalize"));
  }

private:
  MarkingUserInterface m_ui;
  std::unique_ptr<TModel> m_model;
  std::unique_ptr<TFormMaster> m_master;
};

std::unique_ptr<IProgram> makeProgram() { return std::make_unique<HelperProgram>(); }

} // namespace

int main(int argc, char **argv) { return RunProgram(argc, argv, makeProgram); }
