#include "imaging/AniCursor.h"

#include "imaging/Bitmap.h"
#include "imaging/ByteIO.h"
#include "imaging/ColorReduce.h"
#include "imaging/DrawUtils.h"
#include "imaging/IconList.h"
#include "imaging/ListError.h"
#include "platform/Errors.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace {

bool is(const TChunkTag &tag, const char (&id)[5]) {
  return std::memcmp(tag.id.data(), id, 4) == 0;
}

// Chunk bodies are followed by a pad byte when their size is odd.
qint64 padded(std::uint32_t size) { return qint64(size) + (size & 1); }

// Reads through the bytes of a file. Every read and skip checks that the bytes are there; a
// failing one moves nothing.
class ByteCursor {
public:
  ByteCursor(const QByteArray &data, qint64 start) : m_data(data), m_pos(start) {}

  [[nodiscard]] bool read(void *out, qint64 count) {
    if (count < 0 || count > left())
      return false;
    std::memcpy(out, m_data.constData() + m_pos, std::size_t(count));
    m_pos += count;
    return true;
  }
  [[nodiscard]] bool readBytes(QByteArray &out, qint64 count) {
    if (count < 0 || count > left())
      return false;
    out = m_data.mid(m_pos, count);
    m_pos += count;
    return true;
  }
  [[nodiscard]] bool readTag(TChunkTag &tag) {
    std::uint8_t head[8];
    if (!read(head, 8))
      return false;
    std::memcpy(tag.id.data(), head, 4);
    tag.size = byteio::u32(head + 4);
    return true;
  }
  // A value of up to 4 bytes, little-endian; missing high bytes are 0.
  [[nodiscard]] bool readValue(std::uint32_t &value, qint64 count) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    if (!read(b, std::min<qint64>(count, 4)))
      return false;
    value = byteio::u32(b);
    return true;
  }
  [[nodiscard]] bool skip(qint64 count) {
    if (count < 0 || count > left())
      return false;
    m_pos += count;
    return true;
  }
  [[nodiscard]] qint64 left() const { return m_data.size() - m_pos; }

private:
  const QByteArray &m_data;
  qint64 m_pos = 0;
};

void putU32At(std::array<std::uint8_t, 36> &bytes, int at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[std::size_t(at + i)] = std::uint8_t(v >> (8 * i));
}

// Text up to its first zero byte.
QByteArray zeroTerminated(const QByteArray &bytes) {
  const qsizetype end = bytes.indexOf('\0');
  return end < 0 ? bytes : bytes.left(end);
}

} // namespace

// Reading an animated cursor:
// 1. "RIFF" and the form type "ACON", else a read error;
// 2. the chunks in order: "anih" makes one frame per frame of the header (index = ordinal),
//    "rate" and "seq " set the rate and index of the frame their own counter points at,
//    LIST "fram" decodes the "icon" chunks, LIST "INFO" gives title and author;
// 3. each decoded icon goes to every frame whose index is its ordinal, or to a new frame;
// 4. frames that got no icon are removed.
// Each pass of a loop reads at least one 8-byte chunk head, so every loop ends with the data.
class AniReader {
public:
  // `start` is where the chunks begin, after the RIFF head and the form type.
  AniReader(TAnimatedCursorImage &target, const QByteArray &data, qint64 start)
      : m_target(target), m_frames(target.m_frames), m_in(data, start),
        // An icon chunk takes 8 bytes at least, so frames beyond one per 8 bytes can never get
        // an icon; a header asking for more (2^31, say) costs nothing.
        m_frameLimit(std::size_t(data.size() / 8 + 1)) {}

  void run() {
    TChunkTag tag;
    while (m_in.readTag(tag)) {
      if (is(tag, "anih")) {
        if (!readHeader(tag))
          return;
      } else if (is(tag, "rate") || is(tag, "seq ")) {
        const bool rate = is(tag, "rate");
        std::uint32_t value = 0;
        if (!m_in.readValue(value, tag.size))
          return;
        const std::size_t at = rate ? m_rateCounter++ : m_seqCounter++;
        if (at < m_frames.size()) {
          if (rate)
            m_frames[at].rate = value;
          else
            setIndex(at, std::int32_t(value));
        }
        if (!m_in.skip(padded(tag.size) - std::min<qint64>(tag.size, 4)))
          return;
      } else if (is(tag, "LIST")) {
        qint64 remaining = padded(tag.size);
        TChunkTag list;
        if (!m_in.read(list.id.data(), 4))
          return;
        remaining -= 4;
        if (is(list, "fram"))
          readFrames(remaining);
        else if (is(list, "INFO"))
          readInfo(remaining);
        else if (!m_in.skip(std::max<qint64>(remaining, 0)))
          return;
      } else if (!m_in.skip(padded(tag.size))) {
        return;
      }
    }
  }

private:
  struct Decoded {
    std::unique_ptr<TIcon> icon;
    bool isIcon = false;
    QPoint hotSpot;
  };

  bool readHeader(const TChunkTag &tag) {
    const qint64 n = std::min<qint64>(tag.size, 36);
    if (!m_in.read(m_target.m_header.data(), n) || !m_in.skip(padded(tag.size) - n))
      return false;
    const TAniHeader h = m_target.Header();
    if (!(h.flags & 1) || h.stepCount == 0)
      throw EReadError();
    const std::size_t room = m_frameLimit > m_frames.size() ? m_frameLimit - m_frames.size() : 0;
    const std::size_t count = std::min<std::size_t>(h.frameCount, room);
    for (std::size_t i = 0; i < count; ++i)
      addFrame(std::int32_t(i), h.defaultRate);
    return true;
  }

  void addFrame(std::int32_t index, std::uint32_t rate) {
    m_frames.emplace_back(index, rate);
    m_byIndex[index].push_back(m_frames.size() - 1);
  }

  void setIndex(std::size_t at, std::int32_t index) {
    auto &old = m_byIndex[m_frames[at].index];
    if (const auto it = std::find(old.begin(), old.end(), at); it != old.end())
      old.erase(it);
    m_frames[at].index = index;
    m_byIndex[index].push_back(at);
  }

  void readFrames(qint64 remaining) {
    TChunkTag tag;
    while (remaining > 7) {
      if (!m_in.readTag(tag))
        return;
      remaining -= 8;
      if (is(tag, "icon")) {
        QByteArray body;
        if (!m_in.readBytes(body, tag.size))
          return;
        Decoded decoded = decode(body);
        if (!decoded.icon)
          return;
        place(tag, decoded);
        if (!m_in.skip(padded(tag.size) - tag.size))
          return;
      } else if (!m_in.skip(padded(tag.size))) {
        return;
      }
      remaining -= padded(tag.size);
    }
  }

  // The icon goes to every frame that shows this ordinal, each with a copy of its own.
  void place(const TChunkTag &tag, const Decoded &decoded) {
    const std::int32_t ordinal = m_decodedIcons++;
    std::vector<std::size_t> targets;
    if (const auto it = m_byIndex.find(ordinal); it != m_byIndex.end())
      targets = it->second;
    if (targets.empty()) {
      addFrame(-1, m_target.Header().defaultRate);
      targets.push_back(m_frames.size() - 1);
    }
    for (std::size_t at : targets) {
      TIconFrame &frame = m_frames[at];
      frame.icon = std::make_unique<TIcon>(*decoded.icon);
      frame.isIcon = decoded.isIcon;
      frame.tag = tag;
      frame.hotSpot = decoded.hotSpot;
    }
  }

  // One "icon" chunk: an ICO or CUR file. A cursor is loaded as an icon (its type patched to 1;
  // the icon reader takes each image's depth from its own header, not from the directory
  // fields that hold the hot spot). Any bad size or offset fails the decoding, without an error.
  Decoded decode(QByteArray data) {
    Decoded out;
    const auto size = data.size();
    if (size < 6)
      return out;
    const auto *p = reinterpret_cast<const std::uint8_t *>(data.constData());
    const int type = byteio::u16(p + 2);
    if (type != 1 && type != 2)
      return out;
    const bool isIcon = type == 1;
    const int count = byteio::u16(p + 4);
    if (6 + qint64(count) * 16 > size)
      return out;
    QPoint hotSpot;
    for (int i = 0; i < count; ++i) {
      const std::uint8_t *entry = p + 6 + i * 16;
      const qint64 offset = byteio::u32(entry + 12);
      if (offset + 40 > size)
        return out;
      const int bits = byteio::u16(p + offset + 14);
      const int colors = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
      m_target.m_mostColors = std::max(m_target.m_mostColors, colors);
      hotSpot = QPoint(byteio::u16(entry + 4), byteio::u16(entry + 6));
    }
    if (!isIcon)
      data[2] = 1;
    auto icon = std::make_unique<TIcon>();
    try {
      icon->loadFromBytes(data);
    } catch (const ETolvaneError &) {
      return out;
    }
    if (isIcon)
      hotSpot = QPoint(icon->width() / 2, icon->height() / 2);
    out.icon = std::move(icon);
    out.isIcon = isIcon;
    out.hotSpot = hotSpot;
    return out;
  }

  void readInfo(qint64 remaining) {
    TChunkTag tag;
    while (remaining > 7) {
      if (!m_in.readTag(tag))
        return;
      remaining -= 8;
      if (is(tag, "INAM") || is(tag, "IART")) {
        if (remaining < qint64(tag.size))
          return;
        const qint64 n = std::min<qint64>(tag.size, 255);
        QByteArray text;
        if (!m_in.readBytes(text, n) || !m_in.skip(padded(tag.size) - n))
          return;
        (is(tag, "INAM") ? m_target.m_title : m_target.m_author) = zeroTerminated(text);
      } else if (!m_in.skip(padded(tag.size))) {
        return;
      }
      remaining -= padded(tag.size);
    }
  }

  TAnimatedCursorImage &m_target;
  std::vector<TIconFrame> &m_frames;
  ByteCursor m_in;
  std::size_t m_frameLimit;
  std::size_t m_rateCounter = 0;
  std::size_t m_seqCounter = 0;
  std::int32_t m_decodedIcons = 0;
  // Frame positions by the index they show, so placing an icon does not walk every frame.
  std::unordered_map<std::int32_t, std::vector<std::size_t>> m_byIndex;
};

void TIconFrame::Assign(const TIconFrame &source) {
  if (&source == this)
    return;
  if (!icon)
    icon = std::make_unique<TIcon>();
  icon->assign(source.icon.get());
  isIcon = source.isIcon;
  tag = source.tag;
  hotSpot = source.hotSpot;
  rate = source.rate;
  index = source.index;
}

void TAnimatedCursorImage::Clear() {
  m_frames.clear();
  m_title.clear();
  m_author.clear();
  m_header.fill(0);
  m_mostColors = 0;
}

TIcon *TAnimatedCursorImage::GetIcon(int index) const { return GetFrame(index).icon.get(); }

const TIconFrame &TAnimatedCursorImage::GetFrame(int index) const {
  if (index < 0 || index >= GetIconCount())
    throw EListError::indexOutOfBounds(index);
  return m_frames[std::size_t(index)];
}

TAniHeader TAnimatedCursorImage::Header() const {
  std::uint32_t v[9];
  for (int i = 0; i < 9; ++i)
    v[i] = byteio::u32(m_header.data() + 4 * i);
  return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
}

void TAnimatedCursorImage::LoadFromStream(QIODevice &stream) {
  const QByteArray data = stream.isSequential()
                              ? stream.readAll()
                              : byteio::readExact(stream, stream.size() - stream.pos());
  if (data.isEmpty())
    return;
  ByteCursor in(data, 0);
  TChunkTag riff;
  char form[4];
  if (!in.readTag(riff) || !is(riff, "RIFF") || !in.read(form, 4) ||
      std::memcmp(form, "ACON", 4) != 0)
    throw EReadError();
  Clear();
  AniReader(*this, data, 12).run();
  std::erase_if(m_frames, [](const TIconFrame &f) { return !f.icon; });
  putU32At(m_header, 8, std::uint32_t(m_frames.size()));
  if (m_frames.empty())
    throw EReadError();
}

void TAnimatedCursorImage::LoadFromFile(const QString &fileName) {
  try {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
      throw EFileError(
          QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    LoadFromStream(file);
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream(QIODevice &) const { ReportNotImplemented(); }

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage *source) {
  if (source == this)
    return;
  Clear();
  if (!source)
    return;
  try {
    m_header = source->m_header;
    m_title = source->m_title;
    m_author = source->m_author;
    m_mostColors = source->m_mostColors;
    const std::uint32_t rate = source->Header().defaultRate;
    m_frames.reserve(source->m_frames.size());
    for (const TIconFrame &from : source->m_frames) {
      TIconFrame frame(-1, rate);
      frame.Assign(from);
      m_frames.push_back(std::move(frame));
    }
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::AssignTo(TGraphic &target) const {
  if (!assignTo(target))
    RaiseAssignError(typeName(), target.typeName());
}

bool TAnimatedCursorImage::assignTo(TGraphic &target) const {
  if (auto *icon = dynamic_cast<TIcon *>(&target)) {
    if (!m_frames.empty())
      icon->assign(m_frames.front().icon.get());
    return true;
  }
  if (auto *bitmap = dynamic_cast<TBitmap *>(&target)) {
    if (!m_frames.empty())
      assignToBitmap(*bitmap);
    return true;
  }
  if (auto *list = dynamic_cast<TIconList *>(&target)) {
    list->BeginUpdate();
    try {
      list->Clear();
      for (const TIconFrame &frame : m_frames)
        list->Add(frame.icon.get());
    } catch (...) {
      list->EndUpdate();
      throw;
    }
    list->EndUpdate();
    return true;
  }
  if (auto *gif = dynamic_cast<TGIFImage *>(&target)) {
    gif->assign(this);
    return true;
  }
  return false;
}

void TAnimatedCursorImage::assign(const TGraphic *source) {
  if (!source || dynamic_cast<const TAnimatedCursorImage *>(source)) {
    Assign(static_cast<const TAnimatedCursorImage *>(source));
    return;
  }
  RaiseAssignError(source->typeName(), typeName());
}

std::unique_ptr<TGraphic> TAnimatedCursorImage::clone() const {
  auto copy = std::make_unique<TAnimatedCursorImage>();
  copy->Assign(this);
  return copy;
}

int TAnimatedCursorImage::width() const {
  const TIcon *icon = m_frames.empty() ? nullptr : m_frames.front().icon.get();
  return icon ? icon->width() : 0;
}

int TAnimatedCursorImage::height() const {
  const TIcon *icon = m_frames.empty() ? nullptr : m_frames.front().icon.get();
  return icon ? icon->height() : 0;
}

void TAnimatedCursorImage::draw(QPainter &painter, const QRect &rect) const {
  if (const TIcon *icon = m_frames.empty() ? nullptr : m_frames.front().icon.get())
    icon->draw(painter, rect);
}

int TAnimatedCursorImage::gifIconRate(int index) const {
  return int(std::min<std::uint32_t>(GetFrame(index).rate, std::numeric_limits<int>::max()));
}

// The frames side by side at frame 0's size, on white (a new bitmap's brush), then reduced to
// the colours the frames had (16 at least).
void TAnimatedCursorImage::assignToBitmap(TBitmap &bitmap) const {
  const TIcon *first = m_frames.front().icon.get();
  const qint64 w = first ? qint64(first->width()) * qint64(m_frames.size()) : 0;
  const int h = first ? first->height() : 0;
  if (w <= 0 || h <= 0 || !Dib::sizeAllowed(w, h))
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
  Dib dib(int(w), h, 24);
  dib.fill(clWhite);
  TBitmap strip(std::move(dib));
  strip.paint([&](QPainter &painter) {
    for (std::size_t i = 0; i < m_frames.size(); ++i)
      if (const TIcon *icon = m_frames[i].icon.get())
        icon->draw(painter, QRect(int(i) * icon->width(), 0, icon->width(), icon->height()));
  });
  bitmap.loadFromBytes(ReduceBitmapColors(strip.dib(), std::max(m_mostColors, 16)));
}
