#pragma once

#include "imaging/GIFImage.h"
#include "imaging/Graphic.h"
#include "imaging/Icon.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class TBitmap;

// The head of a RIFF chunk: its four-character identifier and its size.
struct TChunkTag {
  std::array<char, 4> id{};
  std::uint32_t size = 0;
};

// One frame of an animated cursor.
struct TIconFrame {
  TIconFrame() = default;
  TIconFrame(std::int32_t frameIndex, std::uint32_t frameRate)
      : rate(frameRate), index(frameIndex) {}

  // Takes over the other frame: a copy of its icon (into an own icon, made when missing), and
  // its kind, tag, hot spot, rate and index.
  void Assign(const TIconFrame &source);

  std::unique_ptr<TIcon> icon; // the frame's picture; null until one is read for it
  bool isIcon = false;         // its data was an icon (type 1), not a cursor
  TChunkTag tag;               // the head of its "icon" chunk
  QPoint hotSpot;              // a cursor's hot spot; the centre of an icon
  std::uint32_t rate = 0;      // display time in jiffies (1/60 s)
  std::int32_t index = -1;     // which icon of the file it shows; -1 for an icon no step asked for
};

// The "anih" chunk of an animated cursor.
struct TAniHeader {
  std::uint32_t headerSize = 0;
  std::uint32_t frameCount = 0;
  std::uint32_t stepCount = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitCount = 0;
  std::uint32_t planes = 0;
  std::uint32_t defaultRate = 0; // jiffies
  std::uint32_t flags = 0;       // bit 0: the frames are icons
};

// An animated cursor file (.ani: RIFF form "ACON") read into a list of icon frames, in step
// order. Reading only: saving reports "Function not yet implemented".
//
// The reader checks every size against the data: a file it refuses raises EReadError ("Stream
// read error"); truncated data inside a chunk ends the reading quietly with what was read; a
// frame whose icon does not load is dropped.
//
// One "rate" or "seq " chunk sets one frame (the first value of each chunk, for the frame of
// its own counter), as the program has always read them.
//
// It takes part in the picture classes' assignment: a TIcon, TBitmap, TIconList or TGIFImage
// assigned from it takes its frames (see AssignTo; a GIF image gets one frame per icon with the
// icon's rate as delay). As a picture it shows its first frame.
class TAnimatedCursorImage : public TGraphic, public TGIFCursorSource {
public:
  TAnimatedCursorImage() = default;
  TAnimatedCursorImage(const TAnimatedCursorImage &) = delete;
  TAnimatedCursorImage &operator=(const TAnimatedCursorImage &) = delete;

  // Frees every frame; title, author, header and most colours become empty.
  void Clear();
  [[nodiscard]] int GetIconCount() const { return int(m_frames.size()); }
  // The icon of frame i; outside the frames raises "List index out of bounds (%d)".
  [[nodiscard]] TIcon *GetIcon(int index) const;
  // Frame i (its rate and hot spot), with the same bounds.
  [[nodiscard]] const TIconFrame &GetFrame(int index) const;
  [[nodiscard]] TAniHeader Header() const;
  // The "INAM" and "IART" texts as stored (at most 255 bytes, Windows-1252 as a rule).
  [[nodiscard]] const QByteArray &Title() const { return m_title; }
  [[nodiscard]] const QByteArray &Author() const { return m_author; }
  // The most colours of any frame's images: 2, 16 or 256; 0 when all are deeper than 8 bits.
  [[nodiscard]] int MostColors() const { return m_mostColors; }

  // Reads from the stream's position to its end. Nothing there leaves the object as it was.
  void LoadFromStream(QIODevice &stream);
  // Opens the file read-only and reads it; on any error the object is cleared.
  void LoadFromFile(const QString &fileName);
  // Reports "Function not yet implemented" and aborts silently (EAbort).
  [[noreturn]] void SaveToStream(QIODevice &stream) const;

  // Null clears; another animation is copied frame by frame (on an error this one is cleared).
  void Assign(const TAnimatedCursorImage *source);
  // A TIcon gets the first frame's icon; a TBitmap a strip of all frames side by side on white,
  // reduced to max(most colours, 16) colours; a TIconList (in one update) a copy of every
  // frame's icon in order; a TGIFImage one frame per icon. Nothing happens to an icon or a
  // bitmap without frames. Other targets raise
  // EConvertError "Cannot assign a TAnimatedCursorImage to a ...".
  void AssignTo(TGraphic &target) const;

  // The picture interface.
  [[nodiscard]] QString className() const override { return QStringLiteral("AnimatedCursorImage"); }
  void loadFromStream(QIODevice &stream) override { LoadFromStream(stream); }
  void saveToStream(QIODevice &stream) const override { SaveToStream(stream); }
  [[nodiscard]] bool empty() const override { return m_frames.empty(); }
  // The first frame's size and picture.
  [[nodiscard]] int width() const override;
  [[nodiscard]] int height() const override;
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  // Null clears, another animation is copied; anything else raises "Cannot assign a %s to a %s".
  void assign(const TGraphic *source) override;
  // As AssignTo, giving false for targets it cannot fill.
  bool assignTo(TGraphic &target) const override;

  // What a GIF image takes: every frame's icon and rate (every frame has an icon).
  [[nodiscard]] int gifIconCount() const override { return GetIconCount(); }
  [[nodiscard]] const TGraphic &gifIcon(int index) const override { return *GetIcon(index); }
  [[nodiscard]] int gifIconRate(int index) const override;

private:
  friend class AniReader;

  void assignToBitmap(TBitmap &bitmap) const;

  std::array<std::uint8_t, 36> m_header{};
  QByteArray m_title;
  QByteArray m_author;
  std::vector<TIconFrame> m_frames;
  int m_mostColors = 0;
};
