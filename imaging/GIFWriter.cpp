#include "imaging/GIFWriter.h"

#include "platform/Errors.h"

#include <algorithm>

namespace {

using Bytes = std::vector<uint8_t>;

[[noreturn]] void fail(const char *message) {
  throw EInvalidGraphicOperation(QString::fromLatin1(message));
}

void putWord(Bytes &out, int v) {
  out.push_back(static_cast<uint8_t>(v & 255));
  out.push_back(static_cast<uint8_t>((v >> 8) & 255));
}

void putSubBlocks(Bytes &out, const TGIFLines &lines) {
  for (const std::string &line : lines) {
    const std::size_t n = std::min<std::size_t>(line.size(), 255);
    if (n == 0)
      continue;
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), line.begin(), line.begin() + static_cast<std::ptrdiff_t>(n));
  }
  out.push_back(0);
}

// A table as the descriptor will announce it: 2^bits entries, padded with black.
void putTable(Bytes &out, const TGIFColorTable &table, int bits) {
  for (int i = 0; i < (1 << bits); ++i) {
    const auto e =
        i < table.Count ? table.Entries[static_cast<std::size_t>(i)] : TGIFColorTable::Entry{};
    out.push_back(e.red);
    out.push_back(e.green);
    out.push_back(e.blue);
  }
}

void putExtension(Bytes &out, const TExtension &ext) {
  static constexpr uint8_t kLabel[4] = {0xF9, 0x01, 0xFF, 0xFE};
  static constexpr std::size_t kFixed[4] = {6, 13, 12, 0};
  const int kind = std::min<int>(ext.Kind, 3);
  out.push_back(0x21);
  out.push_back(kLabel[kind]);
  out.insert(out.end(), ext.Header.begin(),
             ext.Header.begin() + static_cast<std::ptrdiff_t>(kFixed[kind]));
  if (ext.Kind != TExtension::GraphicControl)
    putSubBlocks(out, ext.Lines);
}

// Stored data is written as it is, except that data cut short (a truncated file was read)
// gets its missing terminator; without it the blocks after the frame would be read as image
// data.
void putImageData(Bytes &out, const Bytes &data) {
  out.insert(out.end(), data.begin(), data.end());
  std::size_t i = 1;
  while (i < data.size() && data[i] != 0)
    i += data[i] + 1u;
  if (i >= data.size())
    out.push_back(0);
}

bool isPowerOfTwoTable(int count) {
  for (int n = 2; n <= 256; n *= 2)
    if (count == n)
      return true;
  return false;
}

int log2Of(int count) {
  int n = 0;
  while ((1 << n) < count)
    ++n;
  return n;
}

} // namespace

void UpdateGraphicControl(TGIFFrameRecord &frame) {
  auto &exts = frame.Extensions;
  exts.erase(std::remove_if(exts.begin(), exts.end(),
                            [](const TExtension &e) {
                              return e.Kind == TExtension::Comment && e.Lines.empty();
                            }),
             exts.end());
  const bool hasControl = std::any_of(exts.begin(), exts.end(), [](const TExtension &e) {
    return e.Kind == TExtension::GraphicControl;
  });
  if (!hasControl && (frame.Delay > 0 || frame.TransparentColor != clNone || frame.Disposal > 0)) {
    TExtension gce;
    gce.Kind = TExtension::GraphicControl;
    gce.Header[0] = 4;
    exts.insert(exts.begin(), gce);
  }
  const TGIFColorTable &table = frame.Item->Colors;
  // The index the transparency was read from stays when its entry still holds the colour, so
  // an opaque entry of the same colour earlier in the table does not become see-through.
  int index = table.indexOf(frame.TransparentColor);
  if (index >= 0 && frame.TransparentIndex >= 0 && frame.TransparentIndex < table.Count &&
      table.color(frame.TransparentIndex) == table.color(index))
    index = frame.TransparentIndex;
  // Every graphic control extension is updated, so that reading back gives the same values.
  for (TExtension &ext : exts) {
    if (ext.Kind != TExtension::GraphicControl)
      continue;
    const int delay = frame.Delay / 10;
    ext.Header[2] = static_cast<uint8_t>(delay & 255);
    ext.Header[3] = static_cast<uint8_t>(delay >> 8);
    uint8_t packed = ext.Header[1];
    if (index >= 0) {
      packed |= 1;
      ext.Header[4] = static_cast<uint8_t>(index);
    } else {
      packed &= static_cast<uint8_t>(~1);
    }
    packed = static_cast<uint8_t>((packed & ~0x1C) | (frame.Disposal & 7) << 2);
    ext.Header[1] = packed;
  }
}

std::vector<uint8_t> WriteGIF(TGIFImageRecord &image, std::span<TGIFFrameRecord *const> frames) {
  if (frames.empty())
    fail("No GIF Data to write");
  const TGIFData &data = *image.Data;

  int extentWidth = 0;
  int extentHeight = 0;
  for (const TGIFFrameRecord *f : frames) {
    if (f->Item->Encoded.empty())
      fail("No GIF Data to write");
    const TGIFItem &item = *f->Item;
    if (f->Left < 0 || f->Top < 0 || f->Left > 65535 || f->Top > 65535 || item.Width > 65535 ||
        item.Height > 65535 || item.Width < 0 || item.Height < 0)
      fail("GIF image encoding error");
    if (!f->Extensions.empty())
      image.Version = 2;
    extentWidth = std::max(extentWidth, f->Left + item.Width);
    extentHeight = std::max(extentHeight, f->Top + item.Height);
  }
  if (!data.Comment.empty())
    image.Version = 2;
  // A one-frame picture keeps its loop block too: it says how often the picture is shown.
  const bool loopBlock = image.Looping;
  // A loop block is an extension, which only 89a allows.
  if (loopBlock)
    image.Version = 2;
  // The logical screen is what the picture shows; frames reaching beyond it are cut there. So a
  // screen the image has is kept, and only an image without one takes the frames' extent.
  if (image.ScreenWidth < 1 || image.ScreenHeight < 1 || image.ScreenWidth > 65535 ||
      image.ScreenHeight > 65535) {
    image.ScreenWidth = std::min(extentWidth, 65535);
    image.ScreenHeight = std::min(extentHeight, 65535);
  }

  const TGIFColorTable &global = data.GlobalColors;
  if (global.Count > 0 && !isPowerOfTwoTable(global.Count))
    fail("Wrong number of colors; must be a power of 2");

  Bytes out;
  out.reserve(1024);
  const char *version = image.Version == 2 ? "GIF89a" : "GIF87a";
  out.insert(out.end(), version, version + 6);
  putWord(out, image.ScreenWidth);
  putWord(out, image.ScreenHeight);
  if (global.Count > 0) {
    const int bits = log2Of(global.Count);
    // The table-size bits follow the table actually written, whatever BitsPerPixel says.
    out.push_back(static_cast<uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1)));
    const int background =
        image.BackgroundColor == clNone ? -1 : global.indexOf(image.BackgroundColor);
    out.push_back(static_cast<uint8_t>(std::max(background, 0)));
  } else {
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(data.AspectRatio);
  if (global.Count > 0)
    putTable(out, global, log2Of(global.Count));

  if (loopBlock) {
    static constexpr char kId[] = "NETSCAPE2.0";
    out.push_back(0x21);
    out.push_back(0xFF);
    out.push_back(0x0B);
    out.insert(out.end(), kId, kId + 11);
    out.push_back(3);
    out.push_back(1);
    putWord(out, image.RepeatCount);
    out.push_back(0);
  }

  for (const TGIFFrameRecord *f : frames) {
    for (const TExtension &ext : f->Extensions)
      putExtension(out, ext);
    const TGIFItem &item = *f->Item;
    out.push_back(0x2C);
    putWord(out, f->Left);
    putWord(out, f->Top);
    putWord(out, item.Width);
    putWord(out, item.Height);
    const bool local = f->LocalColors && item.Colors.Count > 0;
    const int bits = item.Colors.bits();
    uint8_t packed = f->Interlaced ? 0x40 : 0;
    if (local)
      packed |= static_cast<uint8_t>(0x80 | (bits - 1));
    out.push_back(packed);
    if (local)
      putTable(out, item.Colors, bits);
    putImageData(out, item.Encoded);
  }

  if (!data.Comment.empty()) {
    out.push_back(0x21);
    out.push_back(0xFE);
    putSubBlocks(out, data.Comment);
  }
  out.push_back(0x3B);
  return out;
}
