#include "model/SettingsCipher.h"

#include "platform/AnsiText.h"
#include "platform/MemIniFile.h"

#include <QStringDecoder>

namespace {

constexpr uint32_t Multiplier = 40961;
constexpr uint32_t Increment = 27183;

// The running key is 16 bits; the arithmetic is done in 32 bits and masked, since 16-bit operands
// would be promoted to int and overflow.
uint32_t nextKey(uint32_t k, uint8_t cipherByte) {
  return ((k + cipherByte) * Multiplier + Increment) & 0xFFFFu;
}

uint8_t scrambleAmount(qsizetype index) {
  const auto i = static_cast<uint32_t>(index + 1);
  return static_cast<uint8_t>(i + i / 2);
}

// Password bytes as text: UTF-8 when valid (a leading U+FEFF is part of the password), else the
// Windows-1252 of a legacy file.
QString passwordText(const QByteArray &bytes) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
  QString text = decoder.decode(bytes);
  return decoder.hasError() ? FromWindows1252(bytes) : text;
}

} // namespace

void EncipherStream(QByteArray &data, uint16_t startKey) {
  uint32_t k = startKey;
  for (char &ch : data) {
    const auto c = static_cast<uint8_t>(static_cast<uint8_t>(ch) ^ (k >> 8));
    ch = static_cast<char>(c);
    k = nextKey(k, c);
  }
}

void DecipherStream(QByteArray &data, uint16_t startKey) {
  uint32_t k = startKey;
  for (char &ch : data) {
    const auto c = static_cast<uint8_t>(ch);
    ch = static_cast<char>(c ^ (k >> 8));
    k = nextKey(k, c);
  }
}

QByteArray ScrambleBytes(const QByteArray &plain) {
  QByteArray out = plain;
  for (qsizetype i = 0; i < out.size(); ++i)
    out[i] = static_cast<char>(static_cast<uint8_t>(out[i]) + scrambleAmount(i));
  return out;
}

QByteArray UnscrambleBytes(const QByteArray &scrambled) {
  QByteArray out = scrambled;
  for (qsizetype i = 0; i < out.size(); ++i)
    out[i] = static_cast<char>(static_cast<uint8_t>(out[i]) - scrambleAmount(i));
  return out;
}

QString ScrambleText(const QString &plain) {
  return QString::fromLatin1(ScrambleBytes(plain.toUtf8()));
}

QString UnscrambleText(const QString &scrambled) {
  QByteArray bytes;
  bytes.reserve(scrambled.size());
  for (const QChar c : scrambled) {
    if (c.unicode() <= 0xFF)
      bytes.append(static_cast<char>(c.unicode()));
    else
      bytes.append(ToWindows1252(QString(c)));
  }
  return passwordText(UnscrambleBytes(bytes));
}

void WriteMailPassword(TMMemIniFile &ini, const QString &entered) {
  const QByteArray scrambled = ScrambleBytes(TMMemIniFile::trimText(entered).toUtf8());
  bool safe = true;
  for (const char c : scrambled)
    safe = safe && static_cast<uint8_t>(c) >= 0x21;
  if (safe) {
    ini.deleteKey(QStringLiteral("Mail"), QStringLiteral("PasswordHex"));
    ini.writeString(QStringLiteral("Mail"), QStringLiteral("Password"),
                    QString::fromLatin1(scrambled));
  } else {
    ini.deleteKey(QStringLiteral("Mail"), QStringLiteral("Password"));
    ini.writeString(QStringLiteral("Mail"), QStringLiteral("PasswordHex"),
                    QString::fromLatin1(scrambled.toHex()));
  }
}

QString ReadMailPassword(const TMMemIniFile &ini) {
  const QString hex = ini.readString(QStringLiteral("Mail"), QStringLiteral("PasswordHex"), {});
  if (!hex.isEmpty()) {
    const auto decoded = QByteArray::fromHex(hex.toLatin1());
    return passwordText(UnscrambleBytes(decoded));
  }
  return UnscrambleText(ini.readString(QStringLiteral("Mail"), QStringLiteral("Password"), {}));
}
