#pragma once

// The live outputs a reminder owns while it fires. The model holds them only through these
// interfaces; the real sticker window, tray icon and sound player implement them in the layers
// above. A reminder releases its outputs in a fixed order: tray icon, sticker, sound.

// The reminder's own notification-area icon.
class ITrayIconView {
public:
  virtual ~ITrayIconView() = default;
  // Takes the icon out of the notification area and stops its frame stepping. Returns only when
  // the stepping worker has finished (joined), so destroying the object right after is safe.
  virtual void deactivate() = 0;
};

// The reminder's sticker window.
class IStickerView {
public:
  virtual ~IStickerView() = default;
  // Closes the window. The window itself may be released later (deleteLater) when this is
  // called from inside one of its own handlers; the interface object is destroyed right after.
  virtual void close() = 0;
};

// The player of the reminder's sound. Destroying it closes its sound device; nothing else is
// asked of it here.
class ISoundPlayer {
public:
  virtual ~ISoundPlayer() = default;
};
