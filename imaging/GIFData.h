#pragma once

#include "imaging/Color.h"
#include "imaging/GIFColorTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The plain data of a GIF picture as the file format carries it. The picture object (TGIFImage,
// TGIFFrame) is built on these; the reader and writer work on them alone.

// Lines of data sub-blocks: each sub-block's bytes, unchanged.
using TGIFLines = std::vector<std::string>;

// Image-level data that copies of one image share.
struct TGIFData {
  TGIFLines Comment;
  std::uint8_t AspectRatio = 0;
  std::uint8_t BitsPerPixel = 0; // bits of the global table
  std::uint8_t ColorResolution = 0;
  TGIFColorTable GlobalColors;
};

// A frame's compressed data and colours, shared by copies of the frame.
struct TGIFItem {
  // The code size byte, every sub-block with its length byte and the zero terminator.
  std::vector<std::uint8_t> Encoded;
  int Width = 0;
  int Height = 0;
  std::uint8_t PackedFields = 0; // the image descriptor's packed byte as read
  std::uint8_t BitsPerPixel = 0;
  TGIFColorTable Colors;
};

// One extension block kept with a frame.
struct TExtension {
  enum Kinds : std::uint8_t { GraphicControl = 0, PlainText = 1, Application = 2, Comment = 3 };
  std::uint8_t Kind = GraphicControl;
  TGIFLines Lines;
  // The raw bytes after the label, block size first (6 for a graphic control extension, 13 for
  // plain text, 12 for an application extension, none for a comment).
  std::array<std::uint8_t, 13> Header{};
};

// What a file says about one frame.
struct TGIFFrameRecord {
  std::shared_ptr<TGIFItem> Item = std::make_shared<TGIFItem>();
  std::vector<TExtension> Extensions;
  int Left = 0;
  int Top = 0;
  bool Interlaced = false;
  bool Corrupted = false;
  TColor TransparentColor = clNone;
  // The table index the transparency came from, or -1. Two entries may hold the same colour;
  // the index says which one is see-through.
  int TransparentIndex = -1;
  std::uint16_t Delay = 0; // milliseconds
  std::uint8_t Disposal = 0;
  bool LocalColors = false;
};

// What a file says about the whole image.
struct TGIFImageRecord {
  std::shared_ptr<TGIFData> Data = std::make_shared<TGIFData>();
  std::uint8_t Version = 0; // 0 none, 1 "87a", 2 "89a"
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  TColor BackgroundColor = clNone;
  bool Looping = false;
  std::uint16_t RepeatCount = 1;
};
