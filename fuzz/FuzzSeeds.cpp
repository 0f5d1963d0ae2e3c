// Writes the seed corpus of the fuzzers: a few valid files of each reader's format.
#include "imaging/Bitmap.h"
#include "imaging/BmpFile.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFImage.h"
#include "imaging/IconList.h"
#include "imaging/JpegImage.h"
#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/SettingsCipher.h"
#include "model/XMLStore.h"
#include "platform/MemIniFile.h"
#include "tests/imaging/IconSamples.h"
#include "tests/imaging/PictureSamples.h"

#include <QBuffer>

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

// Multi-image icons and cursors (both cursor layouts), and animated cursors.
void putIconSeeds(const QString &root) {
  using namespace iconsamples;
  const QString exicon = root + QStringLiteral("/exicon");
  Entry png;
  png.body = iconsamples::png(8);
  put(exicon, QStringLiteral("mixed.ico"),
      file(1, {squareEntry(4, 1), squareEntry(4, 4), squareEntry(4, 8), squareEntry(4, 16),
               squareEntry(4, 24), squareEntry(4, 32), png}));
  Entry hot = squareEntry(8, 4);
  hot.planes = 2;
  hot.bitCount = 5;
  put(exicon, QStringLiteral("hot.cur"), file(2, {hot}));
  Entry resource = squareEntry(8, 8);
  resource.body = u32s({(3u << 16) | 4u}) + resource.body;
  put(exicon, QStringLiteral("resource.cur"), file(2, {resource}));

  const QString ani = root + QStringLiteral("/ani");
  const QByteArray frames =
      list("fram", chunk("icon", file(1, {squareEntry(4, 4)})) + chunk("icon", file(2, {hot})));
  put(ani, QStringLiteral("full.ani"),
      riff(list("INFO", chunk("INAM", "Name") + chunk("IART", "Art")) + anih(2, 2, 10) +
           chunk("rate", u32s({5, 6})) + chunk("seq ", u32s({1, 0})) + frames));
  put(ani, QStringLiteral("plain.ani"), riff(anih(2, 2, 10) + frames));
}

// Frames larger than a small screen, reaching past it, with every kind of disposal.
QByteArray oversizedFrames() {
  QByteArray out("GIF89a\x10\x00\x10\x00\x80\x00\x00", 13);
  out.append("\x00\x00\x00\xff\x00\x00", 6);
  for (int i = 0; i < 6; ++i) {
    const int side = 40 + 30 * i;
    std::vector<std::uint8_t> pixels(std::size_t(side * side));
    for (std::size_t p = 0; p < pixels.size(); ++p)
      pixels[p] = std::uint8_t((p / 7 + std::size_t(i)) & 1);
    std::vector<std::uint8_t> encoded;
    EncodeGIFFrame(encoded, GIFRaster{pixels.data(), side, side, side, 8, false}, i % 2 == 1);
    const char control[] = {'\x21', '\xf9', 4, char((i % 8) << 2 | (i == 2)), 5, 0, 1, 0};
    out.append(control, sizeof control);
    const char descriptor[] = {
        ',', char(i * 3), 0, char(i), 0, char(side), 0, char(side), 0, char(i % 2 == 1 ? 0x40 : 0)};
    out.append(descriptor, sizeof descriptor);
    out.append(reinterpret_cast<const char *>(encoded.data()), qsizetype(encoded.size()));
  }
  out.append(';');
  return out;
}

// A store of one reminder with fields, a moving picture, a picture and an icon list, beside the
// hand-written store of the model's tests; and a settings file with the keys the program writes.
void putModelSeeds(const QString &root, const TGIFImage &animation, const QByteArray &iconList) {
  const QString store = root + QStringLiteral("/store");
  QDir().mkpath(store);
  QFile::remove(store + QStringLiteral("/golden.xml"));
  QFile::copy(QStringLiteral(TOLVANE_SOURCE_DIR "/tests/model/data/golden-store.xml"),
              store + QStringLiteral("/golden.xml"));
  const TModel model(TModelStart::Empty); // Store() is this model's store until it goes
  TDataObject reminder(NewReminderId);
  reminder.subject = QStringLiteral("Seed");
  reminder.text = QStringLiteral("Two\r\nlines");
  reminder.sticker.enable = true;
  reminder.mail = {true, QStringLiteral("to@example.org"), QStringLiteral("me@example.org"), {},
                   {},   QStringLiteral("/tmp/a.txt")};
  SaveToStore(reminder, true);
  TBitmap still(samples::square(6, 8).colors);
  TIconList icons;
  QByteArray stream = iconList;
  QBuffer buffer(&stream);
  buffer.open(QIODevice::ReadOnly);
  icons.LoadFromStream(buffer);
  SaveStickerImages(reminder, &animation, &still);
  SaveIcon(reminder, &icons, nullptr);
  if (!Store().SaveToFile(store + QStringLiteral("/pictures.xml")))
    std::fprintf(stderr, "cannot write the store seed\n");

  TMMemIniFile ini;
  ini.writeString(QStringLiteral("Main"), QStringLiteral("StoreFileName"),
                  QStringLiteral("/home/me/data.xml"));
  ini.writeBool(QStringLiteral("Main"), QStringLiteral("NotStopped"), true);
  ini.writeInteger(QStringLiteral("Mail"), QStringLiteral("Port"), 587);
  ini.writeFloat(QStringLiteral("Config"), QStringLiteral("Scale"), 1.25);
  ini.writeString(QStringLiteral("FrameReminder"), QStringLiteral("ListViewColor"),
                  QStringLiteral("clInfoBk"));
  WriteMailPassword(ini, QStringLiteral("s\u00e9cret"));
  QByteArray settings = ini.toBytes();
  EncipherStream(settings, SettingsCipherKey);
  put(root + QStringLiteral("/settings"), QStringLiteral("control1.dat"), settings);
  WriteMailPassword(ini, QStringLiteral("\x01low"));
  settings = ini.toBytes();
  EncipherStream(settings, SettingsCipherKey);
  put(root + QStringLiteral("/settings"), QStringLiteral("hex.dat"), settings);
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
  // GIF: one frame per depth, then a looping animation with a comment, delays and transparency.
  TGIFImage animation;
  for (int bits : {1, 4, 8, 24}) {
    const TBitmap frame(samples::square(6 + bits % 5, bits).colors);
    TGIFImage single;
    single.assign(&frame);
    const std::vector<std::uint8_t> one = single.write();
    put(root + QStringLiteral("/gif"), QStringLiteral("d%1.gif").arg(bits),
        QByteArray(reinterpret_cast<const char *>(one.data()), qsizetype(one.size())));
    animation.addFrame(&frame);
    animation.frame(animation.frameCount() - 1).Delay = std::uint16_t(10 * bits);
  }
  animation.frame(1).TransparentColor = animation.frame(1).Item->Colors.color(0);
  animation.frame(2).Interlaced = false;
  animation.frame(3).Disposal = 2;
  animation.frame(0).setComment({"seed"});
  animation.setComment({"end"});
  animation.setLooping(true);
  const std::vector<std::uint8_t> all = animation.write();
  put(root + QStringLiteral("/gif"), QStringLiteral("animation.gif"),
      QByteArray(reinterpret_cast<const char *>(all.data()), qsizetype(all.size())));
  put(root + QStringLiteral("/gif"), QStringLiteral("oversized.gif"), oversizedFrames());
  putIconSeeds(root);
  putModelSeeds(root, animation, samples::iconListStream({icos[1], icos[2]}));
  return 0;
}
