#include "imaging/JpegImage.h"

#include "imaging/Bitmap.h"
#include "imaging/ByteIO.h"
#include "imaging/DibRowConverter.h"
#include "platform/Errors.h"

#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. A C++ exception may
// not cross the library's C frames, so the handler jumps back to the setjmp in the run function
// below; everything that outlives the jump lives in the state objects made before it.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int code;
};

extern "C" void onJpegError(j_common_ptr info) {
  auto *m = reinterpret_cast<ErrorManager *>(info->err);
  m->code = m->pub.msg_code;
  std::longjmp(m->jump, 1);
}
extern "C" void onJpegMessage(j_common_ptr, int) {}
extern "C" void onJpegOutput(j_common_ptr) {}

void installErrorManager(ErrorManager &m, jpeg_error_mgr *&slot) {
  slot = jpeg_std_error(&m.pub);
  m.pub.error_exit = onJpegError;
  m.pub.emit_message = onJpegMessage;
  m.pub.output_message = onJpegOutput;
  m.code = 0;
}

constexpr int TooBig = -2;

struct DecodeState {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  Dib dib;                       // the picture, written row by row by the library
  std::vector<std::uint8_t> row; // one CMYK row
  bool cmyk = false;
  bool adobeInverted = false;
};

// A picture larger than a picture is ever shown is decoded smaller, in steps of 1/8 (libjpeg's
// scaled decoding costs less than decoding it whole): the first 2,000 bytes of a JPEG declaring
// 8000 x 8000 pixels once cost 650 MB and a second per paint.
void fitToShownSize(jpeg_decompress_struct &info) {
  if (qint64(info.image_width) * info.image_height <= Dib::MaxShownPixels)
    return;
  for (unsigned eighths = 7; eighths >= 1; --eighths) {
    info.scale_num = eighths;
    info.scale_denom = 8;
    jpeg_calc_output_dimensions(&info);
    if (qint64(info.output_width) * info.output_height <= Dib::MaxShownPixels)
      return;
  }
}

void cmykToBgr(const std::uint8_t *in, std::uint8_t *out, int width, bool adobeInverted) {
  for (int x = 0; x < width; ++x, in += 4, out += 3) {
    // Adobe writes CMYK inverted (255 = no ink); others store plain ink values.
    int k = in[3], cy = in[0], m = in[1], ye = in[2];
    if (!adobeInverted) {
      k = 255 - k;
      cy = 255 - cy;
      m = 255 - m;
      ye = 255 - ye;
    }
    out[0] = std::uint8_t(ye * k / 255);
    out[1] = std::uint8_t(m * k / 255);
    out[2] = std::uint8_t(cy * k / 255);
  }
}

// 0 on success, else the library's message code (or TooBig).
int runDecode(DecodeState &s, const unsigned char *data, unsigned long size) {
  installErrorManager(s.err, s.info.err);
  if (setjmp(s.err.jump)) {
    jpeg_destroy_decompress(&s.info);
    return s.err.code ? s.err.code : -1;
  }
  jpeg_create_decompress(&s.info);
  jpeg_mem_src(&s.info, data, size);
  jpeg_read_header(&s.info, TRUE);
  if (!Dib::sizeAllowed(s.info.image_width, s.info.image_height)) {
    jpeg_destroy_decompress(&s.info);
    return TooBig;
  }
  s.cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
  s.adobeInverted = s.info.saw_Adobe_marker;
  // The library writes the rows of a 24-bit Dib itself (blue, green, red); only CMYK goes
  // through a row of its own.
  s.info.out_color_space = s.cmyk ? JCS_CMYK : JCS_EXT_BGR;
  fitToShownSize(s.info);
  jpeg_start_decompress(&s.info);
  const int width = int(s.info.output_width);
  try {
    s.dib = Dib(width, int(s.info.output_height), 24);
    if (s.cmyk)
      s.row.resize(std::size_t(width) * 4);
  } catch (...) {
    jpeg_destroy_decompress(&s.info);
    throw;
  }
  while (s.info.output_scanline < s.info.output_height) {
    const int y = int(s.info.output_scanline);
    JSAMPROW row = s.cmyk ? s.row.data() : s.dib.row(y);
    jpeg_read_scanlines(&s.info, &row, 1);
    if (s.cmyk)
      cmykToBgr(s.row.data(), s.dib.row(y), width, s.adobeInverted);
  }
  jpeg_finish_decompress(&s.info);
  jpeg_destroy_decompress(&s.info);
  return 0;
}

struct EncodeState {
  jpeg_compress_struct info{};
  ErrorManager err{};
  unsigned char *out = nullptr;
  unsigned long outSize = 0;
  std::vector<std::uint8_t> rgb; // top-down R,G,B rows
  int width = 0;
  int height = 0;
  int quality = TJPEGImage::DefaultQuality;
};

int runEncode(EncodeState &s) {
  installErrorManager(s.err, s.info.err);
  if (setjmp(s.err.jump)) {
    jpeg_destroy_compress(&s.info);
    return s.err.code ? s.err.code : -1;
  }
  jpeg_create_compress(&s.info);
  jpeg_mem_dest(&s.info, &s.out, &s.outSize);
  s.info.image_width = JDIMENSION(s.width);
  s.info.image_height = JDIMENSION(s.height);
  s.info.input_components = 3;
  s.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&s.info);
  jpeg_set_quality(&s.info, s.quality, TRUE);
  jpeg_start_compress(&s.info, TRUE);
  while (s.info.next_scanline < s.info.image_height) {
    JSAMPROW row = s.rgb.data() + std::size_t(s.info.next_scanline) * std::size_t(s.width) * 3;
    jpeg_write_scanlines(&s.info, &row, 1);
  }
  jpeg_finish_compress(&s.info);
  jpeg_destroy_compress(&s.info);
  return 0;
}

[[noreturn]] void raiseJpegError(int code) {
  throw EInvalidGraphic(QStringLiteral("JPEG error #%1").arg(code));
}

} // namespace

Dib TJPEGImage::decode(const QByteArray &jpeg) {
  DecodeState s;
  const int code = runDecode(s, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                             static_cast<unsigned long>(jpeg.size()));
  if (code != 0)
    raiseJpegError(code);
  return std::move(s.dib);
}

QByteArray TJPEGImage::encode(const Dib &pixels, int quality) {
  if (pixels.empty())
    return {};
  EncodeState s;
  s.width = pixels.width();
  s.height = pixels.height();
  s.quality = std::clamp(quality, 1, 100);
  s.rgb.resize(std::size_t(s.width) * std::size_t(s.height) * 3);
  std::uint8_t *p = s.rgb.data();
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const TColor c = pixels.pixel(x, y);
      *p++ = GetRValue(c);
      *p++ = GetGValue(c);
      *p++ = GetBValue(c);
    }
  const int code = runEncode(s);
  QByteArray out;
  if (code == 0 && s.out)
    out = QByteArray(reinterpret_cast<const char *>(s.out), qsizetype(s.outSize));
  std::free(s.out);
  if (code != 0)
    raiseJpegError(code);
  return out;
}

TJPEGImage::TJPEGImage(const TJPEGImage &other)
    : TGraphic(), compressionQuality(other.compressionQuality), m_bytes(other.m_bytes),
      m_pixels(other.m_pixels) {}

void TJPEGImage::loadFromStream(QIODevice &stream) {
  const QByteArray bytes = stream.readAll();
  Dib pixels = decode(bytes);
  m_bytes = bytes;
  m_pixels = std::move(pixels);
  changed();
}

void TJPEGImage::saveToStream(QIODevice &stream) const {
  if (empty())
    return;
  byteio::writeAll(stream, jpegBytes());
}

QByteArray TJPEGImage::jpegBytes() const {
  if (!m_bytes.isEmpty() || m_pixels.empty())
    return m_bytes;
  return encode(m_pixels, compressionQuality);
}

void TJPEGImage::draw(QPainter &painter, const QRect &rect) const {
  if (empty() || rect.isEmpty())
    return;
  painter.drawImage(rect, m_pixels.toQImage());
}

QImage TJPEGImage::renderScaled(const QSize &size, const QRect &part) const {
  return TDibRowConverter(m_pixels).stretched(size, part);
}

std::unique_ptr<TGraphic> TJPEGImage::clone() const { return std::make_unique<TJPEGImage>(*this); }

void TJPEGImage::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    m_bytes.clear();
    m_pixels = Dib();
    changed();
    return;
  }
  if (const auto *j = dynamic_cast<const TJPEGImage *>(source)) {
    m_bytes = j->m_bytes;
    m_pixels = j->m_pixels;
    compressionQuality = j->compressionQuality;
    changed();
    return;
  }
  if (const auto *b = dynamic_cast<const TBitmap *>(source)) {
    m_bytes.clear();
    m_pixels = b->empty() ? Dib() : b->dib().convertedTo(24);
    changed();
    return;
  }
  TGraphic::assign(source);
}

bool TJPEGImage::assignTo(TGraphic &target) const {
  auto *bitmap = dynamic_cast<TBitmap *>(&target);
  if (!bitmap)
    return false;
  bitmap->setDib(m_pixels);
  return true;
}

QImage TJPEGImage::toImage() const {
  const QImage image = m_pixels.toQImage();
  return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}
