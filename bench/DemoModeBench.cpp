// Demo mode ("Show all stickers") with 1,000 reminders, each with a sticker, in a store on a
// file: the check that shows every sticker and the one that takes them all away again, through
// the real scheduler and the real sticker windows on the offscreen platform, each until the event
// loop has nothing left to do, twice. `on_s` and `off_s` are those two times (the mean of the two
// rounds), `stickers` how many were up, `journal_bytes` what the firings wrote into the journal,
// `on_writes` and `off_writes` the writes of the store's file by the checks that showed and that
// took away the stickers, over both rounds: a demonstration changes nothing to keep, but a
// sticker keeps its place as it closes, and the places of a check reach the file in one write.
// Goal: on under 3 s, off under 2 s, no journal, no write for showing, at most one for each
// check that takes the stickers away.
#include "bench/BenchApplication.h"
#include "bench/BenchReminders.h"
#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/ReminderList.h"
#include "model/StoreJournal.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "runtime/FormSticker.h"
#include "runtime/HeadlessUserInterface.h"
#include "runtime/ReminderScheduler.h"
#include "runtime/StickerView.h"
#include "tests/support/Sandbox.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// The real sticker windows, without the popup menu of the master window; no tray icons, no
// sounds.
class StickerOutputs final : public IReminderOutputFactory {
public:
  StickerOutputs(TModel &model, IUserInterface &ui) : m_model(model), m_ui(ui) {}
  std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &reminder,
                                              const TFiringState &firing) override {
    ++shown;
    return TStickerView::Show(m_model, m_ui, reminder, firing, 0, TStickerPopup{});
  }
  std::unique_ptr<ITrayIconView> CreateTrayIcon(const TReminderLookup &,
                                                const TFiringState &) override {
    return nullptr;
  }
  std::unique_ptr<ISoundPlayer> CreateSoundPlayer() override { return nullptr; }
  void RaiseSticker(IStickerView &) override {}

  int shown = 0;

private:
  TModel &m_model;
  IUserInterface &m_ui;
};

double secondsOf(const std::function<void()> &f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DemoMode(benchmark::State &state) {
  static const bool sandboxed = (sandbox::setUp(), true); // the log and the store go there
  (void)sandboxed;
  benchapp::ensureApplication();
  ManualClock clock(benchdata::kStart);
  clock.setSystemStartTime(benchdata::kStart - OneHour * 3);
  ScopedClock scope(clock);
  TModel model(TModelStart::Empty);
  const QString file = sandbox::makeTempDir(QStringLiteral("demo")) + QStringLiteral("/data.xml");
  TXMLStore &store = model.Store();
  store.LoadFromFile(file);
  for (auto &r : benchdata::makeReminders(static_cast<int>(state.range(0)))) {
    r->Id = NewReminderId;
    r->tray = false;
    r->sound.enable = false;
    r->sticker.enable = true;
    r->enable = true;
    SaveToStore(model, *r, true);
    model.Reminders().Append(std::move(r));
  }
  if (!store.Save())
    state.SkipWithError("the store file cannot be written");
  THeadlessUserInterface ui;
  StickerOutputs outputs(model, ui);
  TReminderScheduler scheduler(model, outputs, ui);
  const auto settle = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
  int onWrites = 0, offWrites = 0;
  double on = 0, off = 0;
  int shown = 0;
  for (auto _ : state) {
    outputs.shown = 0;
    int before = store.OwnFileWrites();
    on += secondsOf([&] {
      model.SetDemoMode(true);
      scheduler.Timer1Timer();
      settle();
    });
    onWrites += store.OwnFileWrites() - before;
    shown = outputs.shown;
    clock.advanceMs(1000);
    clock.setTickCount(clock.tickCount() + 1000);
    before = store.OwnFileWrites();
    off += secondsOf([&] {
      model.SetDemoMode(false);
      scheduler.Timer1Timer();
      settle();
    });
    offWrites += store.OwnFileWrites() - before;
    clock.advanceMs(1000);
    clock.setTickCount(clock.tickCount() + 1000);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["on_s"] = on / runs;
  state.counters["off_s"] = off / runs;
  state.counters["stickers"] = shown;
  state.counters["on_writes"] = onWrites;
  state.counters["off_writes"] = offWrites;
  state.counters["journal_bytes"] = static_cast<double>(QFileInfo(JournalFileName(file)).size());
  state.SetLabel("goal: on_s < 3, off_s < 2, journal_bytes 0, on_writes 0, off_writes <= 2");
}
BENCHMARK(BM_DemoMode)->Arg(1'000)->Iterations(2)->Unit(benchmark::kSecond);

} // namespace
