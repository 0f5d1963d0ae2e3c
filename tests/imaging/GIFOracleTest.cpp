#include "imaging/Bitmap.h"
#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFImage.h"
#include "tests/imaging/GiflibOracle.h"
#include "tests/support/Sandbox.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

// The compressed data of the first image of a simple file (no checks beyond the test's needs).
Bytes firstImageData(const Bytes &file) {
  std::size_t i = 13;
  if (file[10] & 0x80)
    i += 3u << ((file[10] & 7) + 1);
  while (file[i] == 0x21) {
    i += 2;
    while (file[i] != 0)
      i += file[i] + 1u;
    ++i;
  }
  const uint8_t packed = file[i + 9];
  i += 10;
  if (packed & 0x80)
    i += 3u << ((packed & 7) + 1);
  std::size_t end = i + 1;
  while (file[end] != 0)
    end += file[end] + 1u;
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(i),
               file.begin() + static_cast<std::ptrdiff_t>(end + 1));
}

struct Case {
  Indices indices;
  int bits;
  bool interlaced;
};

// A seeded mix: every table size, tiny and large frames, flat, noisy and smooth pictures.
std::vector<Case> corpus(uint32_t seed, int count) {
  std::mt19937 rng(seed);
  std::vector<Case> cases;
  for (int i = 0; i < count; ++i) {
    const int bits = 1 + static_cast<int>(rng() % 8);
    const int kind = static_cast<int>(rng() % 4);
    const int w = kind == 0 ? 1 + static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 300);
    const int h = kind == 0 ? 1 + static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 200);
    const auto s = static_cast<uint32_t>(rng());
    Indices in = kind == 1   ? noise(w, h, 1 << bits, s)
                 : kind == 2 ? plasma(w, h, 1 << bits, s)
                             : flatShapes(w, h, 1 << bits, s);
    cases.push_back({std::move(in), bits, rng() % 3 == 0});
  }
  return cases;
}

} // namespace

TEST(GIFOracle, WeDecodeWhatGiflibEncodes) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  for (const Case &c : corpus(20261208, 60)) {
    SCOPED_TRACE(testing::Message() << c.indices.width << "x" << c.indices.height << " bits "
                                    << c.bits << (c.interlaced ? " interlaced" : ""));
    const Bytes file = giflibEncode(c.indices, c.bits, c.interlaced);
    ASSERT_FALSE(file.empty());
    Rows rows = makeRows(c.indices.width, c.indices.height, 8);
    EXPECT_FALSE(DecodeGIFFrame(firstImageData(file), c.bits, c.interlaced, rows.raster, false));
    EXPECT_EQ(unpackRows(rows.raster), c.indices);
  }
}

TEST(GIFOracle, GiflibDecodesWhatWeEncode) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  for (const Case &c0 : corpus(77, 60)) {
    // Our encoder takes 1-, 4- and 8-bit rows.
    const int bits = c0.bits == 1 ? 1 : c0.bits <= 4 ? 4 : 8;
    SCOPED_TRACE(testing::Message() << c0.indices.width << "x" << c0.indices.height << " bits "
                                    << bits << (c0.interlaced ? " interlaced" : ""));
    Rows rows = packRows(c0.indices, bits);
    Bytes data;
    EncodeGIFFrame(data, rows.raster, c0.interlaced);
    const int tableBits = bits == 1 ? 1 : bits;
    BlockBuilder b;
    b.header("87a").screen(c0.indices.width, c0.indices.height, tableBits);
    b.image(0, 0, c0.indices.width, c0.indices.height, 0, c0.interlaced).data(data).trailer();
    const auto decoded = giflibDecode(b.bytes());
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->frames.size(), 1u);
    EXPECT_EQ(decoded->frames[0].indices, c0.indices);
  }
}

namespace {

// A multi-frame file from a seed: global or local tables of 1 to 8 bits, interlace,
// transparency, every disposal, a loop block, frames from 1 x 1 to large; the LZW data is
// giflib's, so our reader and decoder meet data they did not make.
Bytes seededFile(uint32_t seed, std::vector<Indices> &frames) {
  std::mt19937 rng(seed);
  const int screenW = 1 + static_cast<int>(rng() % 160);
  const int screenH = 1 + static_cast<int>(rng() % 120);
  const int globalBits = static_cast<int>(rng() % 9);
  BlockBuilder b;
  b.header().screen(screenW, screenH, globalBits, static_cast<int>(rng() % 4));
  if (rng() % 2)
    b.loop(static_cast<int>(rng() % 5));
  const int count = 1 + static_cast<int>(rng() % 12);
  for (int i = 0; i < count; ++i) {
    const int localBits = globalBits == 0 || rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 8) : 0;
    const int bits = localBits ? localBits : globalBits;
    const int w = 1 + static_cast<int>(rng() % static_cast<uint32_t>(screenW));
    const int h = 1 + static_cast<int>(rng() % static_cast<uint32_t>(screenH));
    const int left = static_cast<int>(rng() % static_cast<uint32_t>(screenW - w + 1));
    const int top = static_cast<int>(rng() % static_cast<uint32_t>(screenH - h + 1));
    const bool interlaced = rng() % 3 == 0;
    const auto s = static_cast<uint32_t>(rng());
    Indices in = rng() % 2 ? flatShapes(w, h, 1 << bits, s) : noise(w, h, 1 << bits, s);
    b.gce(static_cast<int>(rng() % 50), static_cast<int>(rng() % 4),
          rng() % 2 ? static_cast<int>(rng() % static_cast<uint32_t>(1 << bits)) : -1);
    const Bytes file = giflibEncode(in, bits, interlaced);
    b.image(left, top, w, h, localBits, interlaced).data(firstImageData(file));
    frames.push_back(std::move(in));
  }
  b.trailer();
  return b.bytes();
}

Indices indicesOf(const Dib &dib) {
  Indices out{dib.width(), dib.height(), {}};
  for (int y = 0; y < dib.height(); ++y)
    for (int x = 0; x < dib.width(); ++x)
      out.pixels.push_back(static_cast<uint8_t>(dib.pixelIndex(x, y)));
  return out;
}

} // namespace

TEST(GIFOracle, SeededFilesReadLikeGiflibReadsThem) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::vector<Indices> made;
    const Bytes file = seededFile(seed, made);
    const auto reference = giflibDecode(file);
    ASSERT_TRUE(reference.has_value());
    TGIFImage image;
    image.read(file);
    ASSERT_EQ(image.frameCount(), static_cast<int>(reference->frames.size()));
    for (int i = 0; i < image.frameCount(); ++i) {
      const auto &ref = reference->frames[static_cast<std::size_t>(i)];
      EXPECT_EQ(indicesOf(image.frame(i).bitmap().dib()), ref.indices) << "frame " << i;
      EXPECT_EQ(ref.indices, made[static_cast<std::size_t>(i)]);
      EXPECT_EQ(image.frame(i).Left, ref.left);
      EXPECT_EQ(image.frame(i).Interlaced, ref.interlaced);
      EXPECT_FALSE(image.frame(i).Corrupted);
    }
    // Written back (data reused as stored), giflib reads the same pictures.
    const auto rewritten = giflibDecode(image.write());
    ASSERT_TRUE(rewritten.has_value());
    ASSERT_EQ(rewritten->frames.size(), reference->frames.size());
    for (std::size_t i = 0; i < reference->frames.size(); ++i)
      EXPECT_EQ(rewritten->frames[i].indices, reference->frames[i].indices);
  }
}

TEST(GIFOracle, GiflibReadsImagesBuiltFromBitmaps) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  std::mt19937 rng(5);
  TGIFImage image;
  std::vector<Indices> made;
  for (int i = 0; i < 12; ++i) {
    const int bits = i % 3 == 0 ? 1 : i % 3 == 1 ? 4 : 8;
    const int w = 1 + static_cast<int>(rng() % 120);
    const int h = 1 + static_cast<int>(rng() % 90);
    Indices in = plasma(w, h, 1 << bits, static_cast<uint32_t>(rng()));
    Dib dib(w, h, bits);
    std::vector<TRgbQuad> palette;
    for (int k = 0; k < (1 << bits); ++k)
      palette.push_back(
          TRgbQuad::fromRgb(tableByte(3, k, 0), tableByte(3, k, 1), tableByte(3, k, 2)));
    dib.setPalette(TPalette(std::move(palette)));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        dib.setPixelIndex(x, y, in.at(x, y));
    const TBitmap bitmap(dib);
    image.addFrame(&bitmap);
    made.push_back(std::move(in));
  }
  image.setLooping(true);
  const auto decoded = giflibDecode(image.write());
  ASSERT_TRUE(decoded.has_value());
  ASSERT_EQ(decoded->frames.size(), made.size());
  for (std::size_t i = 0; i < made.size(); ++i)
    EXPECT_EQ(decoded->frames[i].indices, made[i]) << i;
}

TEST(GIFOracle, ImageMagickAnimationsDecodeLikeGiflib) {
  const QString convert = QStringLiteral("/usr/bin/convert");
  if (!haveGiflib() || !QFileInfo::exists(convert))
    GTEST_SKIP() << "giflib or ImageMagick not found";
  const QString dir = sandbox::makeTempDir(QStringLiteral("magick"));
  const QString out = dir + QStringLiteral("/anim.gif");
  QStringList args{QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("-delay"),
                   QStringLiteral("7"), QStringLiteral("xc:white")};
  for (int i = 0; i < 8; ++i) {
    args << QStringLiteral("(") << QStringLiteral("+clone") << QStringLiteral("-fill")
         << QStringLiteral("rgb(%1,%2,%3)").arg(200 - 20 * i).arg(30 + 25 * i).arg(90)
         << QStringLiteral("-draw")
         << QStringLiteral("circle %1,%2 %3,%4").arg(8 + 6 * i).arg(20).arg(12 + 6 * i).arg(26)
         << QStringLiteral(")");
  }
  args << QStringLiteral("-loop") << QStringLiteral("3") << QStringLiteral("-layers")
       << QStringLiteral("optimize") << out;
  QProcess process;
  process.start(convert, args);
  ASSERT_TRUE(process.waitForFinished(60000));
  if (process.exitCode() != 0 || !QFileInfo::exists(out))
    GTEST_SKIP() << "convert failed: " << process.readAllStandardError().toStdString();
  QFile file(out);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  const Bytes bytes(data.begin(), data.end());
  const auto reference = giflibDecode(bytes);
  ASSERT_TRUE(reference.has_value());
  TGIFImage image;
  image.read(bytes);
  ASSERT_EQ(image.frameCount(), static_cast<int>(reference->frames.size()));
  ASSERT_GE(image.frameCount(), 2);
  EXPECT_TRUE(image.looping());
  // ImageMagick stores "-loop 3" as a count of 2 further plays.
  EXPECT_EQ(image.repeatCount(), 2);
  for (int i = 0; i < image.frameCount(); ++i) {
    EXPECT_EQ(indicesOf(image.frame(i).bitmap().dib()),
              reference->frames[static_cast<std::size_t>(i)].indices)
        << i;
    EXPECT_EQ(image.frame(i).Delay, 70);
  }
}
