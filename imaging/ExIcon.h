#pragma once

#include "imaging/Color.h"
#include "imaging/ExIconImage.h"
#include "imaging/Graphic.h"
#include "imaging/Icon.h"

#include <QByteArray>

#include <memory>
#include <vector>

// A cursor (or, as TExIcon, an icon) that keeps every image of its ICO or CUR file, where TIcon
// shows one. Width, height, palette, emptiness and drawing refer to the current image.
//
// File form: the ICO/CUR container (6-byte header, 16-byte directory entries, the images).
// Reading takes width and height from the directory (0 stays 0), size and offset, and the
// depth from each image's own header; writing lays out a fresh directory (colour and bit counts
// by depth code, offsets packed after it). Cursor files keep the hot spot in the directory;
// cursor images stored with the hot spot in front of the header (the resource layout) are read
// too.
//
// Images are shared between objects by assign and clone; an image changed by one object (a
// handle made) is seen by every object sharing it. The current index is checked where it is
// used: an index outside the images raises ERangeError ("Range check error").
class TExIconCursor : public TGraphic {
public:
  // A cursor with one empty image.
  TExIconCursor();
  // Shares the other's images, current index and transparent colour.
  TExIconCursor(const TExIconCursor &other);
  TExIconCursor &operator=(const TExIconCursor &) = delete;

  static constexpr int CF_DIB = 8;
  // The colour pixels of a transparent colour take when the icon is drawn on a bitmap.
  static constexpr TColor DefaultTransparentColor = RGB(254, 230, 248);

  [[nodiscard]] QString className() const override { return QStringLiteral("ExIconCursor"); }
  [[nodiscard]] bool isIconKind() const { return m_isIcon; }

  [[nodiscard]] int GetImageCount() const { return int(m_images.size()); }
  // The image at the index; ERangeError outside 0..count-1.
  [[nodiscard]] const TExIconImage &GetImage(int index) const;
  [[nodiscard]] int GetCurrent() const { return m_current; }
  // Makes an image current (unchecked here) and reports the change when it differs.
  void SetCurrent(int index);
  // The current image as an icon of its own (a one-image ICO of the image's data, so the holder
  // keeps just that image), after making its handle. When no other object shares the image it
  // gives up its handle; a shared image keeps it. An image without data gives an empty icon.
  [[nodiscard]] std::unique_ptr<TIcon> ReleaseHandle();
  [[nodiscard]] TColor TransparentColor() const { return m_transparentColor; }

  // An ICO file into a TExIcon (type 1 only), a CUR file into the cursor kind (any other type).
  // The wrong type raises EInvalidGraphic "Invalid Icon or Cursor"; a directory or image
  // outside the data raises EReadError; an image too short for its header "Invalid Icon or
  // Cursor"; a depth outside the table "Pixel Format Not Valid for Icons or Cursors". On any
  // error the object is unchanged. Offsets count from where the file starts in the stream.
  void loadFromStream(QIODevice &stream) override;
  // Raises ERangeError for more than 65535 images or an image wider or higher than 256, and
  // "Invalid Icon or Cursor" for an image without data or of depth code 0 or 4.
  void saveToStream(QIODevice &stream) const override;

  // No images, or a current image with neither handle nor data.
  [[nodiscard]] bool empty() const override;
  [[nodiscard]] int width() const override;
  [[nodiscard]] int height() const override;
  [[nodiscard]] bool transparent() const override { return true; }
  // The current image stretched to the rectangle (nearest pixel) with its transparency; data
  // that does not decode draws nothing.
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  // From another TExIconCursor: its images (shared), current index and transparent colour.
  // From null: the current image becomes a fresh one of the same kind, size and depth code.
  // From any other picture: the current image is rebuilt from it (see the implementation).
  void assign(const TGraphic *source) override;
  // To a TBitmap: a 24-bit picture of the current image's size, filled with the transparent
  // colour (which becomes the bitmap's), with the icon drawn on it.
  bool assignTo(TGraphic &target) const override;
  [[nodiscard]] const TPalette *palette() const override;
  // Redraws the current image at the new size (1 to 1024; ERangeError otherwise).
  void setWidth(int value) override;
  void setHeight(int value) override;
  // 2 entries or fewer give depth code 1, up to 16 code 2, up to 256 code 3, and the image is
  // redrawn with the palette; other counts leave the image without a palette.
  void SetPalette(const TPalette &palette);

  // The clipboard's bitmap form (a packed DIB without the doubled height; a 1-bit mask may
  // follow the colour bits). Loading anything but a non-empty CF_DIB raises EInvalidGraphic
  // "Unsupported clipboard format"; the loaded image replaces the current one.
  void LoadFromClipboardFormat(int format, const QByteArray &data);
  void SaveToClipboardFormat(int &format, QByteArray &data) const;
  // The same through the desktop clipboard, as a BMP file ("image/bmp").
  void CopyToClipboard() const;
  void PasteFromClipboard();

protected:
  explicit TExIconCursor(bool isIcon);

private:
  [[nodiscard]] TExIconImage &current() const;
  [[nodiscard]] std::shared_ptr<TExIconImage> makeImage() const;
  // The current image drawn anew from a picture at the given size.
  void rebuild(const QImage &picture, int width, int height, TColor keyColor,
               const TPalette *palette);
  [[nodiscard]] QImage render(const TGraphic &source, int width, int height) const;

  bool m_isIcon;
  std::vector<std::shared_ptr<TExIconImage>> m_images;
  int m_current = 0;
  TColor m_transparentColor = DefaultTransparentColor;
};

// The icon kind: reads and writes ICO files. A new one holds one empty 32 x 32 image of depth
// code 2 (16 colours).
class TExIcon : public TExIconCursor {
public:
  TExIcon();
  TExIcon(const TExIcon &other) = default;

  [[nodiscard]] QString className() const override { return QStringLiteral("ExIcon"); }
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
};
