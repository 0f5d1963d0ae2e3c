// Writes the seed corpus of the fuzzers: a few valid files of each reader's format.
#include "imaging/BmpFile.h"
#include "imaging/JpegImage.h"
#include "tests/imaging/PictureSamples.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void put(const QString &dir, const QString &name, const QByteArray &bytes) {
  QDir().mkpath(dir);
  QFile f(dir + QLatin1Char('/') + name);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
    std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  std::vector<QByteArray> icos;
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    const samples::IcoImage im = samples::square(bits == 32 ? 16 : 5, bits);
    put(root + QStringLiteral("/bmp"), QStringLiteral("d%1.bmp").arg(bits),
        bmpfile::write(im.colors));
    icos.push_back(samples::ico({im}));
    put(root + QStringLiteral("/ico"), QStringLiteral("d%1.ico").arg(bits), icos.back());
  }
  put(root + QStringLiteral("/ico"), QStringLiteral("png.ico"),
      samples::ico({samples::IcoImage{Dib(), {}, samples::png(8), 32}, samples::square(4, 4)}));
  put(root + QStringLiteral("/iconlist"), QStringLiteral("three.bin"),
      samples::iconListStream({icos[1], QByteArray(), icos[2]}));
  put(root + QStringLiteral("/iconlist"), QStringLiteral("empty.bin"), QByteArray(4, '\0'));
  Dib d = samples::square(8, 24).colors;
  put(root + QStringLiteral("/jpeg"), QStringLiteral("q90.jpg"), TJPEGImage::encode(d, 90));
  put(root + QStringLiteral("/jpeg"), QStringLiteral("q20.jpg"), TJPEGImage::encode(d, 20));
  return 0;
}
