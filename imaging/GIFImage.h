#pragma once

#include "imaging/GIFData.h"
#include "imaging/GIFFrame.h"
#include "imaging/GIFRaster.h"
#include "imaging/Graphic.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TBitmap;

// Damaged frame data marks the frame Corrupted instead of failing the read (default on).
extern bool LoadCorrupted;

// The clipboard format of GIF data, and the MIME type that carries it (the size-prefixed form).
inline const QString GIFClipboardFormatName = QStringLiteral("GIF Image");
inline const QString GIFClipboardMimeType = QStringLiteral("application/x-tolvane-gif-image");

// What assigning an animated cursor to a GIF image needs of it: its icons in order and their
// display rates in sixtieths of a second. The cursor reader implements it.
class TGIFCursorSource {
public:
  virtual ~TGIFCursorSource() = default;
  [[nodiscard]] virtual int gifIconCount() const = 0;
  [[nodiscard]] virtual const TGraphic &gifIcon(int index) const = 0;
  [[nodiscard]] virtual int gifIconRate(int index) const = 0;
};

// A multi-frame GIF picture (87a and 89a). It loads and saves GIF files, draws its current
// frame, converts to and from bitmaps and serves the GIF animator. Copies share the image data
// (TGIFData) and every frame's compressed data (TGIFItem), so copying an image copies no
// compressed bytes; frames decode lazily and keep their bitmap.
class TGIFImage : public TGraphic {
public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage &other);
  TGIFImage &operator=(const TGIFImage &) = delete;

  [[nodiscard]] QString className() const override { return QStringLiteral("GIFImage"); }

  // The plain form: the GIF file from the stream's position to its end. Frame 0 is decoded at
  // once; when that fails it is removed and the error passes on.
  void loadFromStream(QIODevice &stream) override;
  // Compresses frames built from pictures and brings the frames' extensions and the version up
  // to date before writing; so saving changes the image (but not what it shows: the screen, the
  // loop block and application extensions are kept). Nothing is written when it fails.
  void saveToStream(QIODevice &stream) const override;
  // The size-prefixed form: a 4-byte signed little-endian count, then that many bytes.
  void readData(QIODevice &stream);
  void writeData(QIODevice &stream);
  // The plain form from and to bytes; `decodeNow` decodes frame 0 at once.
  void read(std::span<const std::uint8_t> bytes, bool decodeNow = true);
  [[nodiscard]] std::vector<std::uint8_t> write();

  [[nodiscard]] bool empty() const override;
  // The current frame's size; 0 when empty or the current frame is out of range.
  [[nodiscard]] int width() const override;
  [[nodiscard]] int height() const override;
  // Draws the current frame (leaving its transparent colour out when the image is transparent).
  // Never raises: a frame that cannot be decoded draws nothing.
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] QImage renderScaled(const QSize &size, const QRect &part) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  // From null (empty), a GIF image (sharing its data), a bitmap (one frame) or an animated
  // cursor (one frame per icon); anything else raises "Cannot assign a %s to a %s".
  void assign(const TGraphic *source) override;
  // One frame of any image.
  void assign(const TGIFFrame &frame);
  bool assignTo(TGraphic &target) const override;
  // The palette of the image bitmap; none without frames.
  [[nodiscard]] const TPalette *palette() const override;
  // Always raise "Cannot change the Size of a GIF image".
  void setWidth(int value) override;
  void setHeight(int value) override;
  // True when the Transparent property is on and some frame has a transparent colour.
  [[nodiscard]] bool transparent() const override;
  // True only for an image that shares this one's data.
  [[nodiscard]] bool equals(const TGraphic &other) const override;

  // Empties the image.
  void clear();
  // Appends a frame taken from the picture and makes it current; gives its index. The version
  // becomes 87a for the first frame, 89a from the second.
  int addFrame(const TGraphic *graphic);
  int addFrame(const TGIFFrame &frame);

  [[nodiscard]] int frameCount() const { return static_cast<int>(m_frames.size()); }
  [[nodiscard]] TGIFFrame &frame(int index) {
    return *m_frames.at(static_cast<std::size_t>(index));
  }
  [[nodiscard]] const TGIFFrame &frame(int index) const {
    return *m_frames.at(static_cast<std::size_t>(index));
  }
  [[nodiscard]] int frameIndex() const { return m_frameIndex; }
  void setFrameIndex(int index) { m_frameIndex = index; }
  // The current frame's bitmap (frame 0's when the index is out of range). An image without
  // frames first gets one empty frame.
  [[nodiscard]] TBitmap &bitmap();

  [[nodiscard]] std::uint8_t version() const { return m_record.Version; }
  [[nodiscard]] int screenWidth() const { return m_frames.empty() ? 0 : m_record.ScreenWidth; }
  [[nodiscard]] int screenHeight() const { return m_frames.empty() ? 0 : m_record.ScreenHeight; }
  [[nodiscard]] TColor backgroundColor() const { return m_record.BackgroundColor; }
  void setBackgroundColor(TColor color) { m_record.BackgroundColor = color; }
  [[nodiscard]] bool looping() const { return m_record.Looping; }
  void setLooping(bool value) { m_record.Looping = value; }
  [[nodiscard]] std::uint16_t repeatCount() const { return m_record.RepeatCount; }
  void setRepeatCount(std::uint16_t value) { m_record.RepeatCount = value; }
  // The image-level data (shared by copies): global table, aspect ratio, comment.
  [[nodiscard]] const TGIFData &data() const { return *m_record.Data; }
  [[nodiscard]] const TGIFLines &comment() const { return m_record.Data->Comment; }
  void setComment(const TGIFLines &lines) { m_record.Data->Comment = lines; }
  // Set when a read replaced the colours; whoever realises palettes clears it.
  [[nodiscard]] bool paletteModified() const { return m_paletteModified; }
  void setPaletteModified(bool value) { m_paletteModified = value; }

  // Recomputes the screen size from the frames' extent.
  void updateScreenSize();

  // The clipboard, in-process: GIF data under GIFClipboardMimeType when every frame has
  // compressed data, and always frame 0's picture as an image.
  void saveToClipboard() const;
  // GIF data when the clipboard has some (without decoding), else its image as one frame.
  // Gives false when the clipboard holds neither.
  bool loadFromClipboard();

  // Progress of decoding and encoding; no sink, no reports.
  GIFProgress onProgress;

private:
  friend class TGIFFrame;
  void reset();
  void writeTo(QIODevice &stream, bool sizePrefix);
  // The global table of a frame compressed while the image has none.
  void adoptGlobalTable(const TGIFColorTable &table, int bits);
  // Widens the screen to take a compressed frame.
  void growScreen(int right, int bottom);
  // Drops other frames' decoded pictures until `pixels` more fit within GIFMaxPixels.
  void makeRoomFor(std::int64_t pixels, const TGIFFrame *decoding);

  TGIFImageRecord m_record;
  std::vector<std::unique_ptr<TGIFFrame>> m_frames;
  int m_frameIndex = -1;
  bool m_paletteModified = false;
};

// Registers TGIFImage under its stored class name "GIFImage" and for the file extension "gif"
// ("CompuServe GIF Image"). Called once at start-up; calling it again does no harm.
void RegisterGIFImage();
