// What showing a picture costs, through the windows the program shows them in:
//
//   sticker/animation-1024x768x20/tick   one frame step of a firing sticker's moving picture (the
//                                        animator's tick and the sticker window's repaint, on the
//                                        GUI thread), after a first pass; core_% is the CPU time
//                                        of one step over the 100 ms the frame stays
//   sticker/animation-1024x768x20-keyed/tick   the same on a transparent (colour-keyed) background
//   sticker/animation-1024x768x20-keyed-seethrough/tick   see-through frames on that background
//   sticker/animation-1024x768x20/live   the same sticker left running on its own frame clock for
//                                        6 s after a 2 s warm-up; core_% is the process's CPU
//                                        time (getrusage: user + system, every thread) over the
//                                        wall time
//   sticker/screen-4096x4096x64/tick     one step of a tiny file whose frames move over a huge
//                                        logical screen
//   still/<file>/<fit>                   a 200 x 200 picture control showing a tiny file that
//                                        declares a huge picture: ms per paint, the first paint
//                                        (load included), and the peak and held memory (VmHWM and
//                                        VmRSS of /proc/self/status, the peak reset before the
//                                        load)
//
// The window system is offscreen with a 1920 x 1200 screen unless QT_QPA_PLATFORM names another.
#include "bench/PictureCostBench.h"

#include "imaging/Dib.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFImage.h"
#include "imaging/JpegImage.h"
#include "model/DataObject.h"
#include "model/FiringState.h"
#include "model/Model.h"
#include "platform/Errors.h"
#include "runtime/FormSticker.h"
#include "runtime/HeadlessUserInterface.h"
#include "widgets/GIFControl.h"
#include "widgets/Image.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes &out, int v) {
  out.push_back(std::uint8_t(v & 255));
  out.push_back(std::uint8_t(v >> 8));
}

struct AnimFrame {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes indices; // 8 bits per pixel, rows padded to 4 bytes
  int disposal = 1;
  int transparentIndex = -1;
};

// A looping 89a file with a 256-colour global table; every frame shows for `delayCs`.
Bytes animationFile(int screenWidth, int screenHeight, const std::vector<AnimFrame> &frames,
                    int delayCs) {
  Bytes file{'G', 'I', 'F', '8', '9', 'a'};
  put16(file, screenWidth);
  put16(file, screenHeight);
  file.push_back(0xF7);
  file.push_back(0);
  file.push_back(0);
  // No entry is the sticker's key colour (pure green), which a keyed sticker shows as a hole.
  for (int i = 0; i < 256; ++i) {
    file.push_back(std::uint8_t(i * 7));
    file.push_back(std::uint8_t(255 - i));
    file.push_back(std::uint8_t(i * 29 + 1));
  }
  const char loop[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00";
  file.insert(file.end(), loop, loop + sizeof(loop) - 1);
  for (const AnimFrame &f : frames) {
    const bool see = f.transparentIndex >= 0;
    file.insert(file.end(), {0x21, 0xF9, 0x04, std::uint8_t(f.disposal << 2 | (see ? 1 : 0))});
    put16(file, delayCs);
    file.insert(file.end(), {std::uint8_t(see ? f.transparentIndex : 0), 0x00});
    file.push_back(0x2C);
    put16(file, f.left);
    put16(file, f.top);
    put16(file, f.width);
    put16(file, f.height);
    file.push_back(0);
    Bytes data;
    const int stride = int(GIFRowSize(f.width, 8));
    EncodeGIFFrame(
        data, {const_cast<std::uint8_t *>(f.indices.data()), f.width, f.height, stride, 8, false},
        false);
    file.insert(file.end(), data.begin(), data.end());
  }
  file.push_back(0x3B);
  return file;
}

// Filled circles on a plain ground: what a cartoon frame looks like.
AnimFrame cartoonFrame(int w, int h, std::mt19937 &rng) {
  AnimFrame f{0, 0, w, h, Bytes(std::size_t(GIFRowSize(w, 8)) * std::size_t(h), 0), 1};
  const int stride = int(GIFRowSize(w, 8));
  for (int s = 0; s < 40; ++s) {
    const int x0 = int(rng() % unsigned(w)), y0 = int(rng() % unsigned(h));
    const int r = 2 + int(rng() % unsigned(w / 4));
    const auto colour = std::uint8_t(rng() % 256);
    for (int y = std::max(0, y0 - r); y < std::min(h, y0 + r); ++y)
      for (int x = std::max(0, x0 - r); x < std::min(w, x0 + r); ++x)
        if ((x - x0) * (x - x0) + (y - y0) * (y - y0) < r * r)
          f.indices[std::size_t(y) * std::size_t(stride) + std::size_t(x)] = colour;
  }
  return f;
}

TGIFImage gifOf(const Bytes &bytes) {
  TGIFImage image;
  image.read(bytes, false);
  return image;
}

// 20 cartoon frames; see-through ones leave their ground out and are restored to the background.
Bytes cartoonAnimation(bool seeThrough) {
  std::mt19937 rng(4104);
  std::vector<AnimFrame> frames;
  for (int i = 0; i < 20; ++i) {
    frames.push_back(cartoonFrame(1024, 768, rng));
    if (seeThrough) {
      frames.back().transparentIndex = 0;
      frames.back().disposal = 2;
    }
  }
  return animationFile(1024, 768, frames, 10);
}

const Bytes &stickerAnimation() {
  static const Bytes file = cartoonAnimation(false);
  return file;
}

const Bytes &seeThroughAnimation() {
  static const Bytes file = cartoonAnimation(true);
  return file;
}

// A 64 x 64 square walking over a 4096 x 4096 screen, each step restored to the background.
const Bytes &hugeScreenAnimation() {
  static const Bytes file = [] {
    std::vector<AnimFrame> frames;
    for (int i = 0; i < 64; ++i) {
      AnimFrame f{i * 16, i * 8, 64, 64, Bytes(64 * 64, std::uint8_t(i * 4)), 2};
      frames.push_back(f);
    }
    return animationFile(4096, 4096, frames, 10);
  }();
  return file;
}

// A GIF of a few dozen bytes declaring an 8000 x 8000 screen and frame, with 64 pixels of data.
QByteArray tinyHugeGif() {
  Bytes file{'G', 'I', 'F', '8', '9', 'a'};
  put16(file, 8000);
  put16(file, 8000);
  file.insert(file.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  file.push_back(0x2C);
  put16(file, 0);
  put16(file, 0);
  put16(file, 8000);
  put16(file, 8000);
  file.push_back(0);
  Bytes rows(8 * 4, 0x5A);
  Bytes data;
  EncodeGIFFrame(data, {rows.data(), 8, 8, 4, 1, false}, false);
  file.insert(file.end(), data.begin(), data.end());
  file.push_back(0x3B);
  return QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size()));
}

// The first 2,000 bytes of an 8000 x 8000 JPEG.
QByteArray cutHugeJpeg() {
  static const QByteArray whole = TJPEGImage::encode(Dib(8000, 8000, 24), 75);
  return whole.left(2000);
}

std::unique_ptr<TDataObject> stickerReminder(bool colourKeyed = false, bool seeThrough = false) {
  auto r = TDataObject::CreateEmpty(QStringLiteral("BENCH"));
  r->subject = QStringLiteral("Moving picture");
  TStickerRec &s = r->sticker;
  s.enable = true;
  s.subject.enable = true;
  s.subject.font.name = QStringLiteral("DejaVu Sans");
  s.subject.font.size = 12;
  s.movingImage.enable = true;
  s.movingImage.transparent = seeThrough;
  s.position = {0, 0, 0, 0, true};
  s.background = {colourKeyed, 0x00FFFF};
  return r;
}

THeadlessUserInterface &headless() {
  static THeadlessUserInterface ui;
  return ui;
}

void runEvents(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

double processCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A line of /proc/self/status in kB.
double statusKb(const char *key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').first().toDouble();
  return 0;
}

void resetPeak() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly))
    f.write("5");
}

double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A firing as the runtime hands it to a sticker.
TFiringState shownFiring() {
  TFiringState firing;
  firing.firing = true;
  firing.fireTime = EncodeDate(2026, 12, 9) + EncodeTime(9, 0, 0, 0);
  return firing;
}

// One frame step after another, driven here instead of by the frame clock, through the sticker
// window a firing reminder shows.
void stickerSteps(benchmark::State &state, const Bytes &file, int delayMs, bool colourKeyed = false,
                  bool seeThrough = false) {
  const TGIFImage gif = gifOf(file);
  auto reminder = stickerReminder(colourKeyed, seeThrough);
  TModel model(TModelStart::Empty);
  TFormSticker window(model, headless());
  window.SetPreview(true);
  window.ShowReminder(
      0, [&reminder] { return reminder.get(); }, shownFiring(), nullptr, &gif);
  TGIFAnimator &animator = *window.GIFAnimator();
  animator.setAnimate(false);
  runEvents(50);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < gif.frameCount(); ++i)
    animator.timerExpired();
  const double firstPass = since(start);
  const double cpu = threadCpuSeconds();
  for (auto _ : state)
    animator.timerExpired();
  const double perStep = (threadCpuSeconds() - cpu) / double(state.iterations());
  state.counters["first_pass_ms"] = firstPass * 1000;
  state.counters["core_%"] = perStep * 1000 / delayMs * 100;
  state.counters["window_Mpx"] = double(window.width()) * window.height() / 1e6;
}

void stickerTick(benchmark::State &state) {
  stickerSteps(state, stickerAnimation(), 100);
  state.SetLabel("goal: core_% under 2 (one step per 100 ms)");
}

void keyedStickerTick(benchmark::State &state) {
  stickerSteps(state, stickerAnimation(), 100, true);
  state.SetLabel("on a transparent background: the colour key follows every frame");
}

void keyedSeeThroughTick(benchmark::State &state) {
  stickerSteps(state, seeThroughAnimation(), 100, true, true);
  state.SetLabel("see-through frames on a transparent background: the key is worked out anew");
}

void hugeScreenTick(benchmark::State &state) {
  stickerSteps(state, hugeScreenAnimation(), 100);
  state.SetLabel("a 4 kB file; the window is as large as the screen it declares");
}

void stickerLive(benchmark::State &state, bool keyedSeeThrough) {
  const TGIFImage gif = gifOf(keyedSeeThrough ? seeThroughAnimation() : stickerAnimation());
  auto reminder = stickerReminder(keyedSeeThrough, keyedSeeThrough);
  TModel model(TModelStart::Empty);
  TFormSticker window(model, headless());
  window.SetPreview(true);
  window.ShowReminder(
      0, [&reminder] { return reminder.get(); }, shownFiring(), nullptr, &gif);
  TGIFAnimator &animator = *window.GIFAnimator();
  int steps = 0;
  const TNotifyEvent sticker = animator.onFrameChanged;
  animator.onFrameChanged = [&steps, sticker](QObject *sender) {
    ++steps;
    if (sticker)
      sticker(sender);
  };
  runEvents(2000);
  double share = 0;
  for (auto _ : state) {
    steps = 0;
    const double cpu = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    runEvents(6000);
    const double wall = since(start);
    share = (processCpuSeconds() - cpu) / wall * 100;
    state.SetIterationTime(wall);
  }
  animator.setAnimate(false);
  animator.onFrameChanged = sticker;
  state.counters["core_%"] = share;
  state.counters["steps"] = steps;
  state.SetLabel("goal: core_% under 2");
}

void stillPaint(benchmark::State &state, const std::function<std::unique_ptr<TGraphic>()> &load,
                bool shrink) {
  QWidget window;
  window.resize(200, 200);
  auto *image = new TImage(&window);
  image->setGeometry(0, 0, 200, 200);
  image->setCenter(true);
  image->setShrinkToFit(shrink);
  window.show();
  runEvents(50);
  const double rssBefore = statusKb("VmRSS:");
  resetPeak();
  const auto start = std::chrono::steady_clock::now();
  bool refused = false;
  try {
    image->picture().takeGraphic(load());
  } catch (const ETolvaneError &) {
    refused = true;
  }
  image->repaint();
  const double firstPaint = since(start);
  const double peak = statusKb("VmHWM:") - rssBefore;
  const double held = statusKb("VmRSS:") - rssBefore;
  for (auto _ : state)
    image->repaint();
  state.counters["first_paint_ms"] = firstPaint * 1000;
  state.counters["peak_MB"] = peak / 1024;
  state.counters["held_MB"] = held / 1024;
  state.SetLabel(std::string(refused ? "refused; " : "") +
                 "goal: under 50 ms per paint and 100 MB");
}

std::unique_ptr<TGraphic> loadGif() {
  auto g = std::make_unique<TGIFImage>();
  g->loadFromBytes(tinyHugeGif());
  return g;
}

std::unique_ptr<TGraphic> loadJpeg() {
  auto g = std::make_unique<TJPEGImage>();
  g->loadFromBytes(cutHugeJpeg());
  return g;
}

} // namespace

namespace picturecost {

void choosePlatform() {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    return;
  static const std::string config = (std::filesystem::temp_directory_path() /
                                     ("gif_bench_screen_" + std::to_string(getpid()) + ".json"))
                                        .string();
  std::ofstream(config) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,)"
                           R"( "height": 1200, "logicalDpiX": 96, "logicalDpiY": 96}]})";
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
  std::atexit([] { std::filesystem::remove(config); });
}

void registerAll() {
  benchmark::RegisterBenchmark("sticker/animation-1024x768x20/tick", stickerTick)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sticker/animation-1024x768x20-keyed/tick", keyedStickerTick)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sticker/animation-1024x768x20-keyed-seethrough/tick",
                               keyedSeeThroughTick)
      ->Unit(benchmark::kMillisecond);
  for (const bool keyed : {false, true})
    benchmark::RegisterBenchmark(keyed ? "sticker/animation-1024x768x20-keyed-seethrough/live"
                                       : "sticker/animation-1024x768x20/live",
                                 [keyed](benchmark::State &st) { stickerLive(st, keyed); })
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(1)
        ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sticker/screen-4096x4096x64/tick", hugeScreenTick)
      ->Unit(benchmark::kMillisecond);
  // Each load happens once per repetition; a few repetitions show the spread.
  for (const bool shrink : {false, true}) {
    const std::string fit = shrink ? "/shrunk" : "/centred";
    benchmark::RegisterBenchmark(("still/gif-8000x8000-tiny" + fit).c_str(),
                                 [shrink](benchmark::State &s) { stillPaint(s, loadGif, shrink); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("still/jpeg-8000x8000-cut" + fit).c_str(),
                                 [shrink](benchmark::State &s) { stillPaint(s, loadJpeg, shrink); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
  }
}

} // namespace picturecost
