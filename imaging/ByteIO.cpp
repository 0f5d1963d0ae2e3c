#include "imaging/ByteIO.h"

#include "platform/Errors.h"

#include <algorithm>

namespace byteio {

QByteArray readExact(QIODevice &stream, qint64 count) {
  if (count < 0)
    throw EReadError();
  if (count == 0)
    return {};
  if (!stream.isSequential() && count > stream.size() - stream.pos())
    throw EReadError();
  QByteArray out;
  // A sequential stream cannot say how much is left: grow in pieces so a lying count costs
  // at most what is really there.
  constexpr qint64 Piece = 1 << 20;
  while (out.size() < count) {
    const qint64 want = std::min(Piece, count - qint64(out.size()));
    const QByteArray part = stream.read(want);
    if (part.isEmpty())
      throw EReadError();
    out.append(part);
  }
  return out;
}

std::int32_t readI32(QIODevice &stream) {
  const QByteArray b = readExact(stream, 4);
  return i32(reinterpret_cast<const std::uint8_t *>(b.constData()));
}

void writeAll(QIODevice &stream, const QByteArray &bytes) {
  if (stream.write(bytes) != bytes.size())
    throw EFileError(QStringLiteral("Cannot write picture data. %1").arg(stream.errorString()));
}

} // namespace byteio
