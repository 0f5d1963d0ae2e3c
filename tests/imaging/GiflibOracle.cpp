#include "tests/imaging/GiflibOracle.h"

#ifdef TOLVANE_HAVE_GIFLIB

#include <gif_lib.h>

#include <cstring>

namespace giftest {
namespace {

struct Source {
  const Bytes *bytes;
  std::size_t pos = 0;
};

int readFromMemory(GifFileType *gif, GifByteType *buffer, int size) {
  auto *s = static_cast<Source *>(gif->UserData);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(size), s->bytes->size() - s->pos);
  std::memcpy(buffer, s->bytes->data() + s->pos, n);
  s->pos += n;
  return static_cast<int>(n);
}

int writeToMemory(GifFileType *gif, const GifByteType *buffer, int size) {
  auto *out = static_cast<Bytes *>(gif->UserData);
  out->insert(out->end(), buffer, buffer + size);
  return size;
}

} // namespace

bool haveGiflib() { return true; }

std::optional<OracleFile> giflibDecode(const Bytes &file) {
  Source source{&file};
  int error = 0;
  GifFileType *gif = DGifOpen(&source, readFromMemory, &error);
  if (!gif)
    return std::nullopt;
  std::optional<OracleFile> result;
  if (DGifSlurp(gif) == GIF_OK) {
    OracleFile f;
    f.screenWidth = gif->SWidth;
    f.screenHeight = gif->SHeight;
    f.globalBits = gif->SColorMap ? gif->SColorMap->BitsPerPixel : 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage &image = gif->SavedImages[i];
      OracleFrame frame;
      frame.left = image.ImageDesc.Left;
      frame.top = image.ImageDesc.Top;
      frame.interlaced = image.ImageDesc.Interlace;
      frame.tableBits = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap->BitsPerPixel : 0;
      frame.indices.width = image.ImageDesc.Width;
      frame.indices.height = image.ImageDesc.Height;
      const std::size_t n = static_cast<std::size_t>(frame.indices.width) * frame.indices.height;
      frame.indices.pixels.assign(image.RasterBits, image.RasterBits + n);
      f.frames.push_back(std::move(frame));
    }
    result = std::move(f);
  }
  DGifCloseFile(gif, &error);
  return result;
}

Bytes giflibEncode(const Indices &indices, int bits, bool interlaced) {
  Bytes out;
  int error = 0;
  GifFileType *gif = EGifOpen(&out, writeToMemory, &error);
  if (!gif)
    return {};
  ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
  for (int i = 0; i < (1 << bits); ++i)
    map->Colors[i] = {tableByte(1, i, 0), tableByte(1, i, 1), tableByte(1, i, 2)};
  bool ok =
      EGifPutScreenDesc(gif, indices.width, indices.height, bits, 0, map) == GIF_OK &&
      EGifPutImageDesc(gif, 0, 0, indices.width, indices.height, interlaced, nullptr) == GIF_OK;
  Bytes line(static_cast<std::size_t>(indices.width));
  for (GIFRowOrder order(indices.height, interlaced); ok && !order.done(); order.advance()) {
    std::memcpy(line.data(),
                indices.pixels.data() + static_cast<std::size_t>(order.current()) * indices.width,
                line.size());
    ok = EGifPutLine(gif, line.data(), indices.width) == GIF_OK;
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return ok ? out : Bytes{};
}

} // namespace giftest

#else

namespace giftest {
bool haveGiflib() { return false; }
std::optional<OracleFile> giflibDecode(const Bytes &) { return std::nullopt; }
Bytes giflibEncode(const Indices &, int, bool) { return {}; }
} // namespace giftest

#endif
