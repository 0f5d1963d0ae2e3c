#include "model/SmallIcon.h"

#include <QDebug>
#include <QtEndian>

#include <array>
#include <optional>

namespace {

constexpr qsizetype HeaderSize = 6;
constexpr qsizetype EntrySize = 16;

struct IconImage {
  TIconImageInfo info;
  QByteArray entry; // the 16 directory bytes
  QByteArray data;  // the image's own bytes
};

uint16_t u16(const QByteArray &b, qsizetype at) {
  return qFromLittleEndian<uint16_t>(b.constData() + at);
}
uint32_t u32(const QByteArray &b, qsizetype at) {
  return qFromLittleEndian<uint32_t>(b.constData() + at);
}

// The depth code of an image from its bitmap header; none for anything else (PNG images).
std::optional<int> depthCode(const QByteArray &data) {
  if (data.size() < 40)
    return std::nullopt;
  const uint32_t headerSize = u32(data, 0);
  if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    return std::nullopt;
  const uint16_t bits = u16(data, 14);
  const uint32_t compression = u32(data, 16);
  switch (bits) {
  case 1:
    return 1;
  case 4:
    return 2;
  case 8:
    return 3;
  case 16:
    return compression == 0 ? std::optional(4) : compression == 3 ? std::optional(5) : std::nullopt;
  case 24:
    return 6;
  case 32:
    return 7;
  default:
    return std::nullopt;
  }
}

// Every image of an ICO stream, each offset and size checked against the stream.
std::optional<std::vector<IconImage>> readIcon(const QByteArray &b) {
  if (b.size() < HeaderSize || u16(b, 2) != 1)
    return std::nullopt;
  const qsizetype count = u16(b, 4);
  if (HeaderSize + count * EntrySize > b.size())
    return std::nullopt;
  std::vector<IconImage> images;
  for (qsizetype i = 0; i < count; ++i) {
    const qsizetype at = HeaderSize + i * EntrySize;
    const qint64 size = u32(b, at + 8);
    const qint64 offset = u32(b, at + 12);
    if (offset + size > b.size())
      return std::nullopt;
    IconImage image;
    image.entry = b.mid(at, EntrySize);
    image.data = b.mid(offset, size);
    const auto code = depthCode(image.data);
    if (!code)
      return std::nullopt;
    image.info = {static_cast<unsigned char>(b[at]), *code};
    images.push_back(std::move(image));
  }
  return images;
}

// A one-image ICO stream as the multi-image icon class writes it: colour count and bit count by
// the depth code, one plane, the bitmap header's image size cleared.
std::optional<QByteArray> writeIcon(const IconImage &image) {
  static constexpr std::array<std::pair<uint8_t, uint16_t>, 8> byCode = {
      {{0, 0}, {2, 0}, {16, 0}, {0, 8}, {0, 0}, {0, 16}, {0, 24}, {0, 32}}};
  const int code = image.info.depthCode;
  if (code == 0 || code == 4)
    return std::nullopt; // depths that format cannot write
  QByteArray out(HeaderSize + EntrySize, '\0');
  char *p = out.data();
  qToLittleEndian<uint16_t>(1, p + 2);
  qToLittleEndian<uint16_t>(1, p + 4);
  p[6] = image.entry[0];
  p[7] = image.entry[1];
  p[8] = static_cast<char>(byCode[code].first);
  qToLittleEndian<uint16_t>(1, p + 10);
  qToLittleEndian<uint16_t>(byCode[code].second, p + 12);
  qToLittleEndian<uint32_t>(static_cast<uint32_t>(image.data.size()), p + 14);
  qToLittleEndian<uint32_t>(HeaderSize + EntrySize, p + 18);
  QByteArray data = image.data;
  qToLittleEndian<uint32_t>(0, data.data() + 20);
  return out + data;
}

} // namespace

int SelectSmallIconIndex(const std::vector<TIconImageInfo> &images, bool deepColoursFirst) {
  const int n = static_cast<int>(images.size());
  if (n < 2)
    return 0;
  static constexpr std::array<int, 8> deepFirst = {7, 6, 5, 4, 3, 2, 1, 0};
  static constexpr std::array<int, 8> fewFirst = {2, 3, 5, 4, 6, 7, 1, 0};
  // Index 0 is left out of the search by depth, as the program has always chosen.
  for (const int code : deepColoursFirst ? deepFirst : fewFirst)
    for (int i = 1; i < n; ++i)
      if (images[i].width == 16 && images[i].depthCode == code)
        return i;
  for (int i = 0; i < n; ++i)
    if (images[i].width == 16)
      return i;
  return 0;
}

void SelectSmallIconImage(TGraphic &icon) {
  if (icon.empty())
    return;
  try {
    const auto images = readIcon(icon.saveToBytes());
    if (!images || images->empty())
      return;
    std::vector<TIconImageInfo> infos;
    for (const IconImage &image : *images)
      infos.push_back(image.info);
    const int chosen = SelectSmallIconIndex(infos, true);
    if (images->size() == 1)
      return; // already one image
    if (const auto bytes = writeIcon((*images)[chosen]))
      icon.loadFromBytes(*bytes);
  } catch (const std::exception &e) {
    qWarning() << "Icon left unreduced:" << e.what();
  }
}
