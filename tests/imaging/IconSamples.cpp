#include "tests/imaging/IconSamples.h"

#include <QBuffer>
#include <QImage>

namespace iconsamples {
namespace {

void put16(QByteArray &out, std::uint32_t v) {
  out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
void put32(QByteArray &out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
int rowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

} // namespace

QByteArray dib(const DibLayout &s) {
  QByteArray out;
  put32(out, 40);
  put32(out, std::uint32_t(s.width));
  put32(out, std::uint32_t(s.height * 2));
  put16(out, 1);
  put16(out, std::uint32_t(s.bitCount));
  put32(out, s.compression);
  put32(out, 12345); // an image size the reader must not trust
  put32(out, 0);
  put32(out, 0);
  put32(out, s.clrUsed ? std::uint32_t(s.table.size()) : 0);
  put32(out, 0);
  for (std::uint32_t m : s.masks)
    put32(out, m);
  for (QRgb c : s.table) {
    out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
  }
  const int stride = rowBytes(s.width, s.bitCount);
  for (int row = s.height - 1; row >= 0; --row) {
    QByteArray line(stride, '\0');
    for (int x = 0; x < s.width; ++x) {
      const std::uint32_t v = s.pixel ? s.pixel(x, row) : 0;
      switch (s.bitCount) {
      case 1:
        line[x / 8] = char(line[x / 8] | ((v & 1) << (7 - x % 8)));
        break;
      case 4:
        line[x / 2] = char(line[x / 2] | ((v & 15) << (x % 2 ? 0 : 4)));
        break;
      case 8:
        line[x] = char(v);
        break;
      case 16:
        line[x * 2] = char(v & 0xFF);
        line[x * 2 + 1] = char((v >> 8) & 0xFF);
        break;
      default: // 24 and 32: B, G, R (, A)
        for (int i = 0; i < s.bitCount / 8; ++i)
          line[x * (s.bitCount / 8) + i] = char((v >> (8 * (i < 3 ? i : 3))) & 0xFF);
        break;
      }
    }
    out.append(line);
  }
  if (s.withMask) {
    const int maskStride = rowBytes(s.width, 1);
    for (int row = s.height - 1; row >= 0; --row) {
      QByteArray line(maskStride, '\0');
      for (int x = 0; x < s.width; ++x)
        if (s.transparent && s.transparent(x, row))
          line[x / 8] = char(line[x / 8] | (1 << (7 - x % 8)));
      out.append(line);
    }
  }
  return out;
}

QByteArray square(int size, int bitCount) {
  DibLayout s;
  s.width = s.height = size;
  s.bitCount = bitCount;
  const int half = size / 2;
  if (bitCount <= 8) {
    s.table.assign(std::size_t(1) << bitCount, 0);
    s.table[0] = A;
    s.table[1] = B;
    s.pixel = [half](int x, int) { return x < half ? 0u : 1u; };
  } else if (bitCount == 16) {
    auto word = [](QRgb c) {
      return std::uint32_t(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
    };
    s.pixel = [=](int x, int) { return word(x < half ? A : B); };
  } else {
    s.pixel = [=](int x, int y) {
      const QRgb c = x < half ? A : B;
      return bitCount == 32 && x == 0 && y == 0 ? (c & 0x00FFFFFFu) : c;
    };
  }
  s.transparent = [](int x, int y) { return x == 0 && y == 0; };
  return dib(s);
}

QByteArray png(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(A);
  image.setPixel(0, 0, 0);
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return out;
}

Entry squareEntry(int size, int bitCount) {
  Entry e;
  e.body = square(size, bitCount);
  e.width = e.height = size & 0xFF;
  e.colorCount = bitCount == 4 ? 16 : 0;
  e.bitCount = std::uint16_t(bitCount);
  return e;
}

QByteArray file(std::uint16_t type, const std::vector<Entry> &entries) {
  QByteArray out;
  put16(out, 0);
  put16(out, type);
  put16(out, std::uint32_t(entries.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
  for (const Entry &e : entries) {
    out.append(char(e.width)).append(char(e.height)).append(char(e.colorCount)).append('\0');
    put16(out, e.planes);
    put16(out, e.bitCount);
    put32(out, std::uint32_t(e.body.size()));
    put32(out, offset);
    offset += std::uint32_t(e.body.size());
  }
  for (const Entry &e : entries)
    out.append(e.body);
  return out;
}

QByteArray u32s(std::initializer_list<std::uint32_t> values) {
  QByteArray out;
  for (std::uint32_t v : values)
    put32(out, v);
  return out;
}

QByteArray chunkWithSize(const char *id, std::uint32_t size, const QByteArray &body) {
  QByteArray out(id, 4);
  put32(out, size);
  out.append(body);
  return out;
}

QByteArray chunk(const char *id, const QByteArray &body) {
  QByteArray out = chunkWithSize(id, std::uint32_t(body.size()), body);
  if (body.size() % 2)
    out.append('\0');
  return out;
}

QByteArray list(const char *type, const QByteArray &chunks) {
  return chunk("LIST", QByteArray(type, 4) + chunks);
}

QByteArray riff(const QByteArray &chunks, const char *form) {
  return chunk("RIFF", QByteArray(form, 4) + chunks);
}

QByteArray anih(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate,
                std::uint32_t flags) {
  return chunk("anih", u32s({36, frames, steps, 0, 0, 0, 0, rate, flags}));
}

} // namespace iconsamples
