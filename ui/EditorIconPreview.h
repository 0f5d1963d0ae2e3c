#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QLabel;
class TDataObject;
class TIcon;
class TIconList;
class TModel;
class TTrayIcon;

// The tray icon of the reminder editor: the reminder's full icon with all its images (IconHolder)
// or the frames of a moving icon (ImageListIco), the 16-pixel picture on the Main page (ImageIco),
// stepped every 150 ms through the frames (TimerIco), and a live preview in the notification area
// (TrayIcon1) while the "As Tray icon" box is ticked.
class TEditorIconPreview : public QObject {
  Q_OBJECT
public:
  // Shows its picture in `image`, which must outlive it.
  // The icon is read from and written to the model's store.
  TEditorIconPreview(TModel &model, QLabel *image, QObject *parent);
  ~TEditorIconPreview() override;

  // The reminder's stored icon, every image kept.
  void Load(const TDataObject &reminder);
  // An .ani file (any case) becomes the frames, any other file the single icon. The file is read
  // completely before anything changes: a file that cannot be read raises, and the icon, frames
  // and preview stay as they were.
  void LoadFile(const QString &fileName);
  // No icon, no frames, an empty picture.
  void Clear();
  // Writes the frames when there are any, else the single icon, into the reminder's store item.
  void Save(const TDataObject &reminder) const;

  // The preview in the notification area: shown with the current icon or frames while active.
  void UpdateTray(bool active);

  // One step of TimerIco: the next frame in the picture, wrapping to the first.
  void Step();

  [[nodiscard]] const TIcon &Icon() const { return *m_icon; }
  [[nodiscard]] const TIconList &Frames() const { return *m_frames; }
  [[nodiscard]] bool HasFrames() const;
  [[nodiscard]] int FrameIndex() const { return m_frameIndex; }
  [[nodiscard]] const QTimer &Timer() const { return m_timer; }
  [[nodiscard]] TTrayIcon &Tray() const { return *m_tray; }

private:
  // Takes the icon and frames as the current ones and shows them.
  void commit(std::unique_ptr<TIcon> icon, std::unique_ptr<TIconList> frames);
  void showSmallIcon();
  void showImage(const TIcon *icon);

  TModel &m_model;
  QLabel *m_image;
  std::unique_ptr<TIcon> m_icon;       // IconHolder
  std::unique_ptr<TIcon> m_smallIcon;  // what ImageIco shows for the single icon
  std::unique_ptr<TIconList> m_frames; // ImageListIco
  int m_frameIndex = 0;
  QTimer m_timer;    // TimerIco
  TTrayIcon *m_tray; // TrayIcon1, a child
};
