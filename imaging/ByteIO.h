#pragma once

#include <QByteArray>
#include <QIODevice>

#include <cstdint>

// Little-endian integers in byte buffers and exact reads from streams. The picture formats are
// all little-endian; callers check that the bytes are there before reading them.
namespace byteio {

[[nodiscard]] inline std::uint16_t u16(const std::uint8_t *p) {
  return std::uint16_t(p[0] | (p[1] << 8));
}
[[nodiscard]] inline std::uint32_t u32(const std::uint8_t *p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
[[nodiscard]] inline std::int32_t i32(const std::uint8_t *p) { return std::int32_t(u32(p)); }

inline void putU16(QByteArray &out, std::uint16_t v) {
  out.append(char(v & 0xFF)).append(char(v >> 8));
}
inline void putU32(QByteArray &out, std::uint32_t v) {
  out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
  out.append(char((v >> 16) & 0xFF)).append(char(v >> 24));
}
inline void putI32(QByteArray &out, std::int32_t v) { putU32(out, std::uint32_t(v)); }

// Reads exactly `count` bytes; raises EReadError ("Stream read error") when fewer are there.
// The count is checked against what the stream can still give before anything is allocated
// (for sequential devices, reading proceeds in bounded pieces).
[[nodiscard]] QByteArray readExact(QIODevice &stream, qint64 count);
// A 32-bit signed little-endian integer; EReadError on a short read.
[[nodiscard]] std::int32_t readI32(QIODevice &stream);
// Writes all bytes; raises EFileError when the stream takes fewer.
void writeAll(QIODevice &stream, const QByteArray &bytes);

} // namespace byteio
