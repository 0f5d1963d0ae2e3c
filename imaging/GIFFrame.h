#pragma once

#include "imaging/DibRowConverter.h"
#include "imaging/GIFData.h"
#include "imaging/GIFRaster.h"

#include <QImage>
#include <QRect>

#include <memory>

class QPainter;
class TBitmap;
class TGIFImage;
class TGraphic;

// One frame of a GIF picture: what the file says about it (the record fields: Item, Extensions,
// Left, Top, Interlaced, Corrupted, TransparentColor, Delay, Disposal, LocalColors) plus its
// picture. Frames read from a file keep their compressed data and are decoded to a bitmap the
// first time the picture is needed; frames built from other pictures are compressed only when
// the image is written.
class TGIFFrame : public TGIFFrameRecord {
public:
  explicit TGIFFrame(TGIFImage *owner);
  TGIFFrame(TGIFImage *owner, TGIFFrameRecord record);
  ~TGIFFrame();
  TGIFFrame(const TGIFFrame &) = delete;
  TGIFFrame &operator=(const TGIFFrame &) = delete;

  [[nodiscard]] TGIFImage *owner() const { return m_owner; }

  // Reduce the picture to grey levels when it is compressed.
  bool Grayscale = false;

  // The frame's picture, decoded from the compressed data on first use: only the part the
  // image's logical screen shows (all of it for an image without a screen). Decoding may drop
  // the decoded pictures of the image's other frames to stay within GIFMaxPixels; they are
  // decoded again when needed. Raises the decoder's errors ("Wrong number of colors; must be a
  // power of 2" for a frame without colours, "Stream read error" for a frame too large to hold,
  // and those of damaged data with LoadCorrupted off). A frame without data gives an empty
  // bitmap.
  [[nodiscard]] TBitmap &bitmap();
  [[nodiscard]] const TBitmap &bitmap() const;
  // Whether the frame has a picture already (decoded or assigned); never decodes.
  [[nodiscard]] bool hasBitmap() const;
  // Replaces the picture. The compressed data stays until the frame gets a new item.
  void setBitmap(const TBitmap &bitmap);

  // The picture's size without decoding it: the bitmap's when there is one, else the size the
  // compressed data is for, else 0.
  [[nodiscard]] int width() const;
  [[nodiscard]] int height() const;

  // Stretches the picture into the rectangle; with `transparent` and a TransparentColor, the
  // see-through pixels are left out. A frame that cannot be decoded is marked Corrupted and
  // draws nothing: drawing never raises.
  void draw(QPainter &painter, const QRect &rect, bool transparent) const;
  // The picture as an ARGB image with the see-through pixels at alpha 0 (by the index they
  // were read with, so an opaque entry of the same colour stays opaque); null when the frame
  // has no picture or cannot be decoded.
  [[nodiscard]] QImage toImage(bool transparent = true) const;
  // The same stretched to `size` and cut to `part` of it (TDibRowConverter::stretched); only
  // the pixels that land in `part` are converted.
  [[nodiscard]] QImage toImage(bool transparent, const QSize &size, const QRect &part) const;

  // Takes another frame (sharing its compressed data), the current frame of a GIF image, or any
  // other picture (as a new bitmap); null resets the frame. Raises EConvertError for sources it
  // cannot take. The owning image then recomputes its screen size.
  void assign(const TGIFFrame *source);
  void assign(const TGraphic *source);
  // Gives the frame to a frame or image (which assign from it), or its bitmap to any other
  // picture; a bitmap also takes the transparent colour.
  void assignTo(TGraphic &target) const;

  // The lines of the last comment extension; setting them creates one when there is none.
  [[nodiscard]] TGIFLines comment() const;
  void setComment(const TGIFLines &lines);

  // Compresses the picture into the frame's data (when the image is written): 1-, 4- and 8-bit
  // pictures as they are, others reduced to 8 bits. Raises "No GIF Data to write" without a
  // picture.
  void compress(const GIFProgress *progress = nullptr);

private:
  friend class TGIFImage;
  void reset();
  void decode();
  // The decoded picture, or null when there is none or it cannot be decoded (then drawing gives
  // up on the frame until its data changes).
  [[nodiscard]] const Dib *drawable() const;
  // The rows of the picture with the see-through pixels left out when `transparent`.
  [[nodiscard]] TDibRowConverter rowsOf(const Dib &dib, bool transparent) const;
  // The pixels of a picture decoded from the data, which dropDecoded() gives back.
  [[nodiscard]] std::int64_t decodedPixels() const;
  void dropDecoded();
  void notifyOwner();
  // Takes another frame's item, fields, picture, comment and application extensions; `sameImage`
  // decides whether its LocalColors carries over (a frame moved to another image writes its own
  // table).
  void copyFrom(const TGIFFrame &source, bool sameImage);

  TGIFImage *m_owner;
  std::unique_ptr<TBitmap> m_bitmap;
  // A decoded frame keeps its picture, even an empty one, so it is not decoded again.
  bool m_decoded = false;
  // The picture came from the compressed data, so the image may drop it to make room.
  bool m_fromData = false;
  // Drawing tries to decode once; after a failure it draws nothing until the data changes.
  bool m_drawFailed = false;
};
