#include "imaging/GIFReader.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// A cursor over the file bytes. Every read is checked against what is there; a short read is
// the stream's own error.
class Cursor {
public:
  explicit Cursor(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

  [[nodiscard]] bool atEnd() const { return m_pos >= m_bytes.size(); }
  [[nodiscard]] std::size_t remaining() const { return m_bytes.size() - m_pos; }
  void skipToEnd() { m_pos = m_bytes.size(); }

  uint8_t byte() {
    need(1);
    return m_bytes[m_pos++];
  }
  uint16_t word() {
    need(2);
    const uint16_t v = static_cast<uint16_t>(m_bytes[m_pos] | m_bytes[m_pos + 1] << 8);
    m_pos += 2;
    return v;
  }
  std::span<const uint8_t> take(std::size_t n) {
    need(n);
    const auto s = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return s;
  }
  // The next block introducer: zero bytes are skipped; 0 at the end of the data.
  uint8_t introducer() {
    while (m_pos < m_bytes.size() && m_bytes[m_pos] == 0)
      ++m_pos;
    return m_pos < m_bytes.size() ? m_bytes[m_pos++] : 0;
  }

private:
  void need(std::size_t n) const {
    if (n > remaining())
      throw EReadError();
  }
  std::span<const uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

bool equalsIgnoringCase(std::span<const uint8_t> bytes, const char *text) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto a = static_cast<char>(bytes[i]);
    const char b = text[i];
    if ((a >= 'a' && a <= 'z' ? a - 32 : a) != (b >= 'a' && b <= 'z' ? b - 32 : b))
      return false;
  }
  return true;
}

void readTable(Cursor &in, int bits, TGIFColorTable &table) {
  const int count = 1 << bits;
  const auto bytes = in.take(static_cast<std::size_t>(count) * 3);
  table.Count = count;
  for (int i = 0; i < count; ++i)
    table.Entries[static_cast<std::size_t>(i)] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
}

TGIFLines readSubBlocks(Cursor &in) {
  TGIFLines lines;
  for (uint8_t length = in.byte(); length != 0; length = in.byte()) {
    const auto bytes = in.take(length);
    lines.emplace_back(reinterpret_cast<const char *>(bytes.data()), bytes.size());
  }
  return lines;
}

// Gives nothing for an extension of a kind not known here: its sub-blocks are skipped, as other
// readers do, so that the frames after it are still read.
std::optional<TExtension> readExtension(Cursor &in) {
  TExtension ext;
  const uint8_t label = in.byte();
  std::size_t fixed = 0;
  bool subBlocks = true;
  switch (label) {
  case 0xF9:
    ext.Kind = TExtension::GraphicControl;
    fixed = 6;
    subBlocks = false;
    break;
  case 0x01:
    ext.Kind = TExtension::PlainText;
    fixed = 13;
    break;
  case 0xFF:
    ext.Kind = TExtension::Application;
    fixed = 12;
    break;
  case 0xFE:
    ext.Kind = TExtension::Comment;
    break;
  default:
    (void)readSubBlocks(in);
    return std::nullopt;
  }
  const auto header = in.take(fixed);
  std::copy(header.begin(), header.end(), ext.Header.begin());
  if (subBlocks)
    ext.Lines = readSubBlocks(in);
  return ext;
}

// A loop block names itself in its 11 identifier bytes. Only as many bytes as the block size
// says are compared, but never more than the 11 that were read.
bool readLoop(const TExtension &ext, TGIFImageRecord &image) {
  const std::size_t n = std::min<std::size_t>(ext.Header[0], 11);
  const bool named = std::memcmp(ext.Header.data() + 1, "NETSCAPE2.0", n) == 0 ||
                     std::memcmp(ext.Header.data() + 1, "ANIMEXTS1.0", n) == 0;
  if (!named || ext.Lines.empty() || ext.Lines[0].size() < 3 || ext.Lines[0][0] != 1)
    return false;
  const auto &l = ext.Lines[0];
  const int count = static_cast<uint8_t>(l[1]) | static_cast<uint8_t>(l[2]) << 8;
  image.Looping = true;
  image.RepeatCount = static_cast<uint16_t>(std::min(count, 30000));
  return true;
}

void readImage(Cursor &in, const TGIFImageRecord &image, TGIFFrameRecord &frame,
               bool loadCorrupted) {
  const int left = in.word();
  const int top = in.word();
  const int width = in.word();
  const int height = in.word();
  const uint8_t packed = in.byte();
  TGIFItem &item = *frame.Item;
  frame.Interlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    item.BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
    readTable(in, item.BitsPerPixel, item.Colors);
    frame.LocalColors = true;
  }

  // The compressed data is kept as it came. A sub-block longer than the rest of the data is
  // left out and marks the frame; data that simply ends after a whole sub-block is kept as is.
  std::vector<uint8_t> &data = item.Encoded;
  data.clear();
  bool corrupted = false;
  if (in.atEnd()) {
    corrupted = true;
  } else {
    data.push_back(in.byte());
    while (!in.atEnd()) {
      const uint8_t length = in.byte();
      if (length == 0) {
        data.push_back(0);
        break;
      }
      if (length > in.remaining()) {
        corrupted = true;
        in.skipToEnd();
        break;
      }
      data.push_back(length);
      const auto block = in.take(length);
      data.insert(data.end(), block.begin(), block.end());
    }
  }
  if (corrupted && !loadCorrupted)
    throw EReadError();
  frame.Corrupted = corrupted;

  if (!frame.LocalColors)
    item.Colors = image.Data->GlobalColors;
  frame.Left = left;
  frame.Top = top;
  item.Width = width != 0 ? width : image.ScreenWidth;
  item.Height = height != 0 ? height : image.ScreenHeight;
  item.PackedFields = packed;
  ApplyGraphicControl(frame);
}

// Comments found after the last image become the image's comment, one blank-line separator
// between two comment blocks.
void takeTrailingComments(std::vector<TExtension> &collected, TGIFImageRecord &image) {
  bool first = true;
  for (const TExtension &ext : collected) {
    if (ext.Kind != TExtension::Comment)
      continue;
    if (!first)
      image.Data->Comment.emplace_back("\r\n\r\n");
    first = false;
    image.Data->Comment.insert(image.Data->Comment.end(), ext.Lines.begin(), ext.Lines.end());
  }
  collected.clear();
}

} // namespace

void ApplyGraphicControl(TGIFFrameRecord &frame) {
  const TGIFColorTable &table = frame.Item->Colors;
  for (const TExtension &ext : frame.Extensions) {
    if (ext.Kind != TExtension::GraphicControl)
      continue;
    const uint8_t packed = ext.Header[1];
    const int delay = ext.Header[2] | ext.Header[3] << 8;
    const int index = ext.Header[4];
    if (packed & 1) {
      if (index < table.Count) {
        frame.TransparentColor = table.color(index);
        frame.TransparentIndex = index;
      }
    } else {
      frame.TransparentColor = clNone;
      frame.TransparentIndex = -1;
    }
    // The delay is kept in 16 bits of milliseconds; longer delays saturate instead of wrapping.
    frame.Delay = static_cast<uint16_t>(std::max<int>(frame.Delay, std::min(delay * 10, 65535)));
    frame.Disposal = static_cast<uint8_t>((packed >> 2) & 7);
  }
}

void ReadGIF(std::span<const uint8_t> bytes, TGIFImageRecord &image,
             std::vector<TGIFFrameRecord> &frames, bool loadCorrupted) {
  if (bytes.empty())
    return;
  Cursor in(bytes);
  const auto header = in.take(6);
  if (!equalsIgnoringCase(header.first(3), "GIF"))
    throw EInvalidGraphicOperation(QStringLiteral("Unknown GIF version"));
  if (equalsIgnoringCase(header.subspan(3), "87a"))
    image.Version = 1;
  else if (equalsIgnoringCase(header.subspan(3), "89a"))
    image.Version = 2;
  else
    throw EInvalidGraphicOperation(QStringLiteral("Unknown GIF version"));

  image.ScreenWidth = in.word();
  image.ScreenHeight = in.word();
  const uint8_t packed = in.byte();
  const uint8_t background = in.byte();
  TGIFData &data = *image.Data;
  data.AspectRatio = in.byte();
  data.BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
  data.ColorResolution = static_cast<uint8_t>(((packed >> 4) & 7) + 1);
  if (packed & 0x80) {
    readTable(in, data.BitsPerPixel, data.GlobalColors);
    if (background < data.GlobalColors.Count)
      image.BackgroundColor = data.GlobalColors.color(background);
  }

  uint8_t introducer = in.introducer();
  // Each pass consumes at least one byte or ends the loop; the bound is a second guard.
  for (std::size_t pass = 0;
       pass <= bytes.size() && introducer != 0 && introducer != kTrailer && !in.atEnd(); ++pass) {
    std::vector<TExtension> collected;
    while (introducer == kExtension) {
      std::optional<TExtension> ext = readExtension(in);
      // The loop block becomes the image's Looping and RepeatCount, and is written back from
      // them; other application extensions stay with the coming frame, as comments do.
      if (ext && ext->Kind == TExtension::PlainText)
        collected.clear();
      else if (ext && (ext->Kind != TExtension::Application || !readLoop(*ext, image)))
        collected.push_back(std::move(*ext));
      introducer = in.atEnd() ? kTrailer : in.introducer();
    }
    if (introducer == kImage) {
      TGIFFrameRecord frame;
      if (data.GlobalColors.Count > 0)
        frame.Item->BitsPerPixel = data.BitsPerPixel;
      frame.Extensions = std::move(collected);
      readImage(in, image, frame, loadCorrupted);
      frames.push_back(std::move(frame));
      if (frames.size() == GIFMaxFrames)
        break;
      introducer = in.atEnd() ? kTrailer : in.introducer();
      if (introducer != kExtension && introducer != kImage && introducer != kTrailer)
        introducer = 0;
    } else if (data.Comment.empty() && !collected.empty()) {
      takeTrailingComments(collected, image);
    } else if (introducer != 0 && introducer != kTrailer) {
      throw EReadError();
    }
  }
}
