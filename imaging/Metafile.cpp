#include "imaging/Metafile.h"

#include "imaging/ByteIO.h"

#include <QPainter>

#include <cstdlib>

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr int ScreenDpi = 96;

struct Header {
  bool enhanced = false;
  int width = 0;
  int height = 0;
};

Header parseHeader(const QByteArray &bytes) {
  const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.constData());
  const qsizetype size = bytes.size();
  auto s16 = [p](int at) { return int(std::int16_t(byteio::u16(p + at))); };
  Header h;
  if (size >= 22 && byteio::u32(p) == PlaceableKey) {
    // Placeable WMF: a bounding box in logical units and the units per inch.
    const int inch = byteio::u16(p + 14);
    if (inch > 0) {
      h.width = std::abs(s16(10) - s16(6)) * ScreenDpi / inch;
      h.height = std::abs(s16(12) - s16(8)) * ScreenDpi / inch;
    }
    return h;
  }
  if (size >= 88 && byteio::u32(p) == 1 && byteio::u32(p + 40) == EmfSignature) {
    // EMF: the picture frame in 0.01 mm units.
    h.enhanced = true;
    const qint64 w = qint64(byteio::i32(p + 32)) - byteio::i32(p + 24);
    const qint64 ht = qint64(byteio::i32(p + 36)) - byteio::i32(p + 28);
    h.width = int(std::min<qint64>(std::abs(w) * ScreenDpi / 2540, 32767));
    h.height = int(std::min<qint64>(std::abs(ht) * ScreenDpi / 2540, 32767));
    return h;
  }
  // A plain WMF carries no size. Bytes of any other shape are kept too: a stored picture this
  // program cannot read must still survive a save.
  return h;
}

} // namespace

TMetafile::TMetafile(const TMetafile &other)
    : TGraphic(), m_bytes(other.m_bytes), m_width(other.m_width), m_height(other.m_height),
      m_enhanced(other.m_enhanced) {}

void TMetafile::loadFromStream(QIODevice &stream) {
  const QByteArray bytes = stream.readAll();
  const Header h = parseHeader(bytes);
  m_bytes = bytes;
  m_width = h.width;
  m_height = h.height;
  m_enhanced = h.enhanced;
  changed();
}

void TMetafile::saveToStream(QIODevice &stream) const { byteio::writeAll(stream, m_bytes); }

void TMetafile::draw(QPainter &painter, const QRect &rect) const {
  if (empty() || rect.isEmpty())
    return;
  painter.save();
  painter.setPen(QPen(Qt::gray, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

std::unique_ptr<TGraphic> TMetafile::clone() const { return std::make_unique<TMetafile>(*this); }

void TMetafile::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    m_bytes.clear();
    m_width = m_height = 0;
    m_enhanced = false;
    changed();
    return;
  }
  if (const auto *m = dynamic_cast<const TMetafile *>(source)) {
    m_bytes = m->m_bytes;
    m_width = m->m_width;
    m_height = m->m_height;
    m_enhanced = m->m_enhanced;
    changed();
    return;
  }
  TGraphic::assign(source);
}
