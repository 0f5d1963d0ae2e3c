// Speed of our GIF codec against giflib on a corpus generated from fixed seeds.
//
// Both sides get the same index rasters and colour tables (so the same minimum code sizes), run
// single-threaded from the same in-memory buffers into memory sinks, and include their own
// per-frame allocations. Decoding: giflib's DGifSlurp against our reader plus the LZW decoder
// into 8-bit index rows (the packed 1/4/8-bit output of TGIFImage is a separate line). Encoding:
// giflib's EGifPutLine per row against our frame encoder. Before any timing every file passes
// two gates: our indices equal giflib's, and giflib reads our encoder's output back to the
// original raster.
//
//   gif_bench             timed run (median of repetitions, benchmarks interleaved), then a
//                         table of ratios per corpus class
//   gif_bench --smoke     the gates only (what CI runs)
//
// The same program measures what showing pictures costs (bench/PictureCostBench.cpp); filter with
// --benchmark_filter='^(sticker|still)/' for those alone.
#include "bench/PictureCostBench.h"
#include "imaging/Bitmap.h"
#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFImage.h"
#include "imaging/GIFReader.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Frame {
  int width = 0, height = 0;
  Bytes indices; // top row first
};

// One corpus entry: frames sharing one table of 2^bits colours.
struct Sample {
  std::string klass;
  int bits = 8;
  bool interlaced = false;
  std::vector<Frame> frames;
  std::vector<GifColorType> table;
  Bytes giflibFile;             // written by giflib, decoded by both
  std::vector<Bytes> ourFrames; // our encoder's data, per frame
  std::vector<Bytes> packed;    // rows packed to 1/4/8 bits for our encoder
  int64_t pixels = 0;
};

// --- corpus -------------------------------------------------------------------------------

Frame plasma(int w, int h, int colours, std::mt19937 &rng) {
  // Diamond-square-like smooth noise, quantised: long runs broken often, frequent table resets.
  std::uniform_real_distribution<double> phase(0.0, 6.28);
  const double a = phase(rng), b = phase(rng), c = phase(rng);
  Frame f{w, h, Bytes(static_cast<std::size_t>(w) * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double v = std::sin(x * 0.013 + a) + std::sin(y * 0.021 + b) +
                       std::sin((x - y) * 0.017 + c) + double(rng() % 64) / 256.0;
      f.indices[static_cast<std::size_t>(y) * w + x] =
          static_cast<uint8_t>(std::clamp(int((v + 3.25) / 6.5 * colours), 0, colours - 1));
    }
  return f;
}

Frame cartoon(int w, int h, int colours, std::mt19937 &rng) {
  Frame f{w, h, Bytes(static_cast<std::size_t>(w) * h, 0)};
  for (int s = 0; s < 40; ++s) {
    const int x0 = static_cast<int>(rng() % static_cast<uint32_t>(w));
    const int y0 = static_cast<int>(rng() % static_cast<uint32_t>(h));
    const int r = 2 + static_cast<int>(rng() % static_cast<uint32_t>(std::max(w / 4, 3)));
    const auto colour = static_cast<uint8_t>(rng() % static_cast<uint32_t>(colours));
    for (int y = std::max(0, y0 - r); y < std::min(h, y0 + r); ++y)
      for (int x = std::max(0, x0 - r); x < std::min(w, x0 + r); ++x)
        if ((x - x0) * (x - x0) + (y - y0) * (y - y0) < r * r)
          f.indices[static_cast<std::size_t>(y) * w + x] = colour;
  }
  return f;
}

Frame noise(int w, int h, int colours, std::mt19937 &rng) {
  Frame f{w, h, Bytes(static_cast<std::size_t>(w) * h)};
  for (auto &p : f.indices)
    p = static_cast<uint8_t>(rng() % static_cast<uint32_t>(colours));
  return f;
}

int memoryWrite(GifFileType *gif, const GifByteType *data, int n) {
  auto *out = static_cast<Bytes *>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

struct MemorySource {
  const Bytes *bytes;
  std::size_t pos = 0;
};

int memoryRead(GifFileType *gif, GifByteType *data, int n) {
  auto *s = static_cast<MemorySource *>(gif->UserData);
  const std::size_t k =
      std::min<std::size_t>(static_cast<std::size_t>(n), s->bytes->size() - s->pos);
  std::memcpy(data, s->bytes->data() + s->pos, k);
  s->pos += k;
  return static_cast<int>(k);
}

// giflib writing the frames (one shared global table); gives the file bytes.
Bytes giflibEncode(const Sample &s) {
  Bytes out;
  int error = 0;
  GifFileType *gif = EGifOpen(&out, memoryWrite, &error);
  ColorMapObject *map = GifMakeMapObject(1 << s.bits, s.table.data());
  int w = 0, h = 0;
  for (const Frame &f : s.frames) {
    w = std::max(w, f.width);
    h = std::max(h, f.height);
  }
  EGifPutScreenDesc(gif, w, h, s.bits, 0, map);
  Bytes line;
  for (const Frame &f : s.frames) {
    EGifPutImageDesc(gif, 0, 0, f.width, f.height, s.interlaced, nullptr);
    line.resize(static_cast<std::size_t>(f.width));
    for (GIFRowOrder order(f.height, s.interlaced); !order.done(); order.advance()) {
      std::memcpy(line.data(),
                  f.indices.data() + static_cast<std::size_t>(order.current()) * f.width,
                  line.size());
      EGifPutLine(gif, line.data(), f.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

Bytes pack(const Frame &f, int bits) {
  const auto stride = GIFRowSize(f.width, bits);
  Bytes rows(static_cast<std::size_t>(stride * f.height), 0);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const uint8_t p = f.indices[static_cast<std::size_t>(y) * f.width + x];
      uint8_t *row = rows.data() + y * stride;
      if (bits == 8)
        row[x] = p;
      else if (bits == 4)
        row[x / 2] |= static_cast<uint8_t>((x & 1) ? p : p << 4);
      else
        row[x / 8] |= static_cast<uint8_t>(p << (7 - x % 8));
    }
  return rows;
}

GIFRaster rasterOf(const Bytes &rows, const Frame &f, int bits) {
  return {const_cast<uint8_t *>(rows.data()), f.width, f.height,
          GIFRowSize(f.width, bits),          bits,    false};
}

std::vector<Sample> buildCorpus() {
  std::mt19937 rng(20261208);
  std::vector<Sample> corpus;
  auto add = [&](std::string klass, int bits, bool interlaced, std::vector<Frame> frames) {
    Sample s;
    s.klass = std::move(klass);
    s.bits = bits;
    s.interlaced = interlaced;
    s.frames = std::move(frames);
    for (int i = 0; i < (1 << bits); ++i)
      s.table.push_back({static_cast<GifByteType>(i * 7), static_cast<GifByteType>(255 - i),
                         static_cast<GifByteType>(i * 29)});
    for (const Frame &f : s.frames)
      s.pixels += int64_t{f.width} * f.height;
    corpus.push_back(std::move(s));
  };
  // Typical sticker animations: 10 to 40 frames of 32 to 200 pixels, 16 or 256 colours.
  for (int k = 0; k < 4; ++k) {
    const int bits = k % 2 ? 8 : 4;
    const int n = 10 + static_cast<int>(rng() % 31);
    const int w = 32 + static_cast<int>(rng() % 169), h = 32 + static_cast<int>(rng() % 169);
    std::vector<Frame> frames;
    for (int i = 0; i < n; ++i)
      frames.push_back(i % 2 ? cartoon(w, h, 1 << bits, rng) : plasma(w, h, 1 << bits, rng));
    add("sticker", bits, k == 3, std::move(frames));
  }
  add("photo", 8, false, {plasma(1920, 1080, 256, rng)});
  add("photo-interlaced", 8, true, {plasma(1920, 1080, 256, rng)});
  add("cartoon", 8, false, {cartoon(1024, 768, 256, rng), cartoon(1024, 768, 256, rng)});
  add("noise", 8, false, {noise(640, 480, 256, rng)});
  add("two-colour", 1, false, {cartoon(1024, 768, 2, rng), noise(512, 512, 2, rng)});
  add("16-colour", 4, false, {plasma(1024, 768, 16, rng), cartoon(1024, 768, 16, rng)});
  add("16-colour-interlaced", 4, true, {plasma(1024, 768, 16, rng)});
  for (Sample &s : corpus) {
    s.giflibFile = giflibEncode(s);
    for (const Frame &f : s.frames) {
      s.packed.push_back(pack(f, s.bits));
      Bytes data;
      EncodeGIFFrame(data, rasterOf(s.packed.back(), f, s.bits), s.interlaced);
      s.ourFrames.push_back(std::move(data));
    }
  }
  return corpus;
}

std::vector<Sample> &corpus() {
  static std::vector<Sample> c = buildCorpus();
  return c;
}

// --- the two codecs -----------------------------------------------------------------------

struct DecodedFrames {
  std::vector<Bytes> frames;
};

// Ours: parse the file, then decode every frame into 8-bit index rows.
uint64_t decodeOurs(const Bytes &file, std::vector<Bytes> *keep = nullptr) {
  TGIFImageRecord image;
  std::vector<TGIFFrameRecord> frames;
  ReadGIF(file, image, frames, true);
  uint64_t sum = 0;
  for (const TGIFFrameRecord &f : frames) {
    const TGIFItem &item = *f.Item;
    Bytes rows(static_cast<std::size_t>(GIFRowSize(item.Width, 8) * item.Height), 0);
    const GIFRaster raster{rows.data(), item.Width, item.Height, GIFRowSize(item.Width, 8),
                           8,           false};
    (void)DecodeGIFFrame(item.Encoded, item.BitsPerPixel, f.Interlaced, raster, true);
    sum += rows[rows.size() / 2];
    if (keep)
      keep->push_back(std::move(rows));
  }
  return sum;
}

uint64_t decodeGiflib(const Bytes &file, std::vector<Bytes> *keep = nullptr) {
  MemorySource source{&file};
  int error = 0;
  GifFileType *gif = DGifOpen(&source, memoryRead, &error);
  uint64_t sum = 0;
  if (gif && DGifSlurp(gif) == GIF_OK) {
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage &im = gif->SavedImages[i];
      const std::size_t n = static_cast<std::size_t>(im.ImageDesc.Width) * im.ImageDesc.Height;
      sum += im.RasterBits[n / 2];
      if (keep)
        keep->emplace_back(im.RasterBits, im.RasterBits + n);
    }
  }
  DGifCloseFile(gif, &error);
  return sum;
}

std::size_t encodeOurs(const Sample &s) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    Bytes data;
    EncodeGIFFrame(data, rasterOf(s.packed[i], s.frames[i], s.bits), s.interlaced);
    bytes += data.size();
  }
  return bytes;
}

std::size_t encodeGiflib(const Sample &s) { return giflibEncode(s).size(); }

// The file of our encoder's frames, for giflib to read back.
Bytes ourFile(const Sample &s) {
  Bytes file{'G', 'I', 'F', '8', '9', 'a'};
  int w = 0, h = 0;
  for (const Frame &f : s.frames) {
    w = std::max(w, f.width);
    h = std::max(h, f.height);
  }
  auto word = [&](int v) {
    file.push_back(static_cast<uint8_t>(v & 255));
    file.push_back(static_cast<uint8_t>(v >> 8));
  };
  word(w);
  word(h);
  file.push_back(static_cast<uint8_t>(0x80 | (s.bits - 1) << 4 | (s.bits - 1)));
  file.push_back(0);
  file.push_back(0);
  for (const GifColorType &c : s.table) {
    file.push_back(c.Red);
    file.push_back(c.Green);
    file.push_back(c.Blue);
  }
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    file.push_back(0x2C);
    word(0);
    word(0);
    word(s.frames[i].width);
    word(s.frames[i].height);
    file.push_back(s.interlaced ? 0x40 : 0);
    file.insert(file.end(), s.ourFrames[i].begin(), s.ourFrames[i].end());
  }
  file.push_back(0x3B);
  return file;
}

// Gate: our indices equal giflib's on giflib's file, and giflib reads our encoder's output as
// the original rasters. Gives an empty string when both hold.
std::string checkGates(const Sample &s) {
  std::vector<Bytes> ours, theirs;
  decodeOurs(s.giflibFile, &ours);
  decodeGiflib(s.giflibFile, &theirs);
  if (ours.size() != s.frames.size() || theirs.size() != s.frames.size())
    return "frame count differs";
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const Frame &f = s.frames[i];
    for (int y = 0; y < f.height; ++y)
      if (std::memcmp(ours[i].data() + GIFRowSize(f.width, 8) * y,
                      theirs[i].data() + static_cast<std::size_t>(y) * f.width,
                      static_cast<std::size_t>(f.width)) != 0)
        return "decoded indices differ";
    if (theirs[i] != f.indices)
      return "giflib's own round trip differs";
  }
  std::vector<Bytes> back;
  decodeGiflib(ourFile(s), &back);
  if (back.size() != s.frames.size())
    return "giflib cannot read our encoder's output";
  for (std::size_t i = 0; i < s.frames.size(); ++i)
    if (back[i] != s.frames[i].indices)
      return "giflib reads our encoder's output differently";
  return {};
}

// --- benchmarks ---------------------------------------------------------------------------

void setRate(benchmark::State &state, const Sample &s) {
  state.counters["Mpx/s"] = benchmark::Counter(double(s.pixels) * double(state.iterations()) / 1e6,
                                               benchmark::Counter::kIsRate);
}

void registerAll(const std::vector<std::size_t> &passed) {
  for (std::size_t i : passed) {
    const Sample *s = &corpus()[i];
    const std::string tag = s->klass + "#" + std::to_string(i);
    benchmark::RegisterBenchmark(("decode/ours/" + tag).c_str(), [s](benchmark::State &st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(decodeOurs(s->giflibFile));
      setRate(st, *s);
    });
    benchmark::RegisterBenchmark(("decode/giflib/" + tag).c_str(), [s](benchmark::State &st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(decodeGiflib(s->giflibFile));
      setRate(st, *s);
    });
    benchmark::RegisterBenchmark(("encode/ours/" + tag).c_str(), [s](benchmark::State &st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(encodeOurs(*s));
      setRate(st, *s);
    });
    benchmark::RegisterBenchmark(("encode/giflib/" + tag).c_str(), [s](benchmark::State &st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(encodeGiflib(*s));
      setRate(st, *s);
    });
  }
  // The picture object's own path: packed 1/4/8-bit output and frame 0 at load.
  const Sample *sticker = &corpus()[0];
  benchmark::RegisterBenchmark("extra/ours-packed-all-frames/sticker#0",
                               [sticker](benchmark::State &st) {
                                 for (auto _ : st) {
                                   TGIFImage image;
                                   image.read(sticker->giflibFile, false);
                                   for (int f = 0; f < image.frameCount(); ++f)
                                     benchmark::DoNotOptimize(image.frame(f).bitmap().width());
                                 }
                               });
  benchmark::RegisterBenchmark("extra/ours-first-frame/sticker#0", [sticker](benchmark::State &st) {
    for (auto _ : st) {
      TGIFImage image;
      image.read(sticker->giflibFile, true);
      benchmark::DoNotOptimize(image.width());
    }
  });
  benchmark::RegisterBenchmark(
      "extra/giflib-first-frame/sticker#0", [sticker](benchmark::State &st) {
        for (auto _ : st) {
          MemorySource source{&sticker->giflibFile};
          int error = 0;
          GifFileType *gif = DGifOpen(&source, memoryRead, &error);
          GifRecordType type = UNDEFINED_RECORD_TYPE;
          while (DGifGetRecordType(gif, &type) == GIF_OK && type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *ext = nullptr;
            DGifGetExtension(gif, &code, &ext);
            while (ext)
              DGifGetExtensionNext(gif, &ext);
          }
          if (type == IMAGE_DESC_RECORD_TYPE && DGifGetImageDesc(gif) == GIF_OK) {
            Bytes line(static_cast<std::size_t>(gif->Image.Width));
            for (int y = 0; y < gif->Image.Height; ++y)
              DGifGetLine(gif, line.data(), gif->Image.Width);
            benchmark::DoNotOptimize(line[0]);
          }
          DGifCloseFile(gif, &error);
        }
      });
  const Sample *photo = &corpus()[4];
  benchmark::RegisterBenchmark(
      "extra/ours-with-progress-sink/photo#4", [photo](benchmark::State &st) {
        int calls = 0;
        const GIFProgress sink = [&](GIFProgressStage, int, const std::string &) { ++calls; };
        TGIFImageRecord image;
        std::vector<TGIFFrameRecord> frames;
        ReadGIF(photo->giflibFile, image, frames, true);
        const TGIFItem &item = *frames[0].Item;
        Bytes rows(static_cast<std::size_t>(item.Width) * item.Height);
        for (auto _ : st) {
          const GIFRaster raster{rows.data(), item.Width, item.Height, item.Width, 8, false};
          benchmark::DoNotOptimize(DecodeGIFFrame(item.Encoded, 8, false, raster, true, &sink));
        }
        benchmark::DoNotOptimize(calls);
      });
}

// Keeps the median of each benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> medians;
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs)
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        medians[r.run_name.function_name] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

void printSummary(const SummaryReporter &reporter, const std::vector<std::size_t> &passed) {
  if (std::none_of(reporter.medians.begin(), reporter.medians.end(),
                   [](const auto &m) { return m.first.rfind("decode/", 0) == 0; }))
    return; // the codec was filtered out
  std::printf("\n%-24s %10s %10s %8s | %10s %10s %8s | %9s %9s\n", "class", "dec ours", "dec gif",
              "ratio", "enc ours", "enc gif", "ratio", "B ours", "B giflib");
  double decOurs = 0, decGif = 0, encOurs = 0, encGif = 0;
  for (std::size_t i : passed) {
    const Sample &s = corpus()[i];
    const std::string tag = s.klass + "#" + std::to_string(i);
    auto at = [&](const std::string &name) {
      const auto it = reporter.medians.find(name + tag);
      return it == reporter.medians.end() ? 0.0 : it->second;
    };
    const double a = at("decode/ours/"), b = at("decode/giflib/");
    const double c = at("encode/ours/"), d = at("encode/giflib/");
    decOurs += a, decGif += b, encOurs += c, encGif += d;
    std::size_t ourBytes = 0;
    for (const Bytes &f : s.ourFrames)
      ourBytes += f.size();
    std::printf("%-24s %10.0f %10.0f %8.2f | %10.0f %10.0f %8.2f | %9zu %9zu\n", tag.c_str(), a, b,
                b > 0 ? a / b : 0, c, d, d > 0 ? c / d : 0, ourBytes, s.giflibFile.size());
  }
  std::printf("%-24s %10.0f %10.0f %8.2f | %10.0f %10.0f %8.2f\n", "whole corpus", decOurs, decGif,
              decGif > 0 ? decOurs / decGif : 0, encOurs, encGif,
              encGif > 0 ? encOurs / encGif : 0);
  std::printf("(median times in the benchmark's time unit; giflib's byte count includes its file "
              "framing)\n");
}

} // namespace

int main(int argc, char **argv) {
  bool smoke = false;
  std::vector<char *> args;
  std::string repetitions = "--benchmark_repetitions=10";
  std::string minTime = "--benchmark_min_time=0.2";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.push_back(argv[0]);
  args.push_back(repetitions.data());
  args.push_back(minTime.data());
  args.push_back(interleave.data());
  args.push_back(aggregates.data());
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0)
      smoke = true;
    else
      args.push_back(argv[i]);
  }
  std::vector<std::size_t> passed;
  int failures = 0;
  for (std::size_t i = 0; i < corpus().size(); ++i) {
    const std::string problem = checkGates(corpus()[i]);
    if (problem.empty()) {
      passed.push_back(i);
    } else {
      ++failures;
      std::printf("gate failed for %s#%zu: %s (not timed)\n", corpus()[i].klass.c_str(), i,
                  problem.c_str());
    }
  }
  std::printf("%zu of %zu corpus files pass the equivalence gates\n", passed.size(),
              corpus().size());
  if (smoke)
    return failures == 0 ? 0 : 1;
  picturecost::choosePlatform();
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  registerAll(passed);
  picturecost::registerAll();
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printSummary(reporter, passed);
  return failures == 0 ? 0 : 1;
}
