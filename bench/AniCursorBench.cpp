// Reading animated cursors that ask for far more than they hold. Goal: a header asking for 2^31
// frames reads in well under 100 ms; a megabyte of tiny icons under such a header reads in time
// linear in its size (no frame-by-icon walk).
#include "imaging/AniCursor.h"
#include "tests/imaging/IconSamples.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

namespace {

QByteArray hostile(int icons) {
  using namespace iconsamples;
  const QByteArray icon = chunk("icon", file(1, {squareEntry(2, 1)}));
  QByteArray frames;
  for (int i = 0; i < icons; ++i)
    frames += icon;
  return riff(anih(0x7FFFFFFF, 1, 10) + list("fram", frames));
}

void read(benchmark::State &state, const QByteArray &bytes) {
  for (auto _ : state) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TAnimatedCursorImage cursor;
    cursor.LoadFromStream(buffer);
    benchmark::DoNotOptimize(cursor.GetIconCount());
  }
  state.SetBytesProcessed(qint64(state.iterations()) * bytes.size());
}

} // namespace

static void BM_AniHugeFrameCount(benchmark::State &state) { read(state, hostile(4)); }
BENCHMARK(BM_AniHugeFrameCount)->Unit(benchmark::kMillisecond);

static void BM_AniMegabyteOfIcons(benchmark::State &state) {
  read(state, hostile(int(state.range(0))));
}
BENCHMARK(BM_AniMegabyteOfIcons)->Arg(1500)->Arg(12000)->Unit(benchmark::kMillisecond);
