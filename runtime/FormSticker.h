#pragma once

#include "model/FiringState.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderOutputs.h"

#include <QColor>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWindow;
class IUserInterface;
class TModel;
class QLabel;
class TDataObject;
class TGIFAnimator;
class TGIFImage;
class TGraphic;
class TImage;
class TShape;
namespace Ui {
class FormSticker;
}

// The menu a sticker opens on a right click (the master's popup of a firing reminder), and where
// the run-time number it is to act on goes (the menu's Tag). Both may be empty.
struct TStickerPopup {
  QPointer<QMenu> menu;
  std::function<void(int32_t number)> setTag;
};

// The borderless, always-on-top window that shows a firing reminder on the desktop: subject,
// text, fire date and fire time, a still picture and a moving picture, on a coloured background
// or on a colour-keyed transparent one (lime pixels become see-through and click-through), with
// an optional frame line and overall window opacity.
//
// A press selects the reminder in the main window and lets the user drag the window; a right
// click opens the popup menu; a double-click runs the menu's first item ("Edit") from the event
// loop, so that item may release this window. Closing (the window manager's close, or close())
// stores the window's place and size in the reminder and writes it to the store once; the window
// then only hides. The window never deletes itself: its owner releases it (TStickerView).
//
// Children, back to front: ShapeFrame, ImagePicture, GIFAnimator, LabelText, LabelDate,
// LabelTime, LabelSubject.
class TFormSticker : public QWidget {
  Q_OBJECT
public:
  // A press tells the user interface (the main window selects the row, the editor notes a change);
  // the pictures come from the model's store and the close writes the place there. Both outlive
  // the window.
  TFormSticker(TModel &model, IUserInterface &ui, QWidget *parent = nullptr);
  ~TFormSticker() override;
  TFormSticker(const TFormSticker &) = delete;
  TFormSticker &operator=(const TFormSticker &) = delete;

  // Fills, lays out, sizes and shows the window for a firing of the reminder that `reminder`
  // finds: its fire time and kind come from `firing`. The window keeps the lookup, not the
  // object, and asks it again at each press and at its close: a store reload may read the
  // reminder anew meanwhile, or a deletion free it. When a picture or a moving picture is given
  // (the editor's preview) the window shows those, else both come from the store. May be called
  // again at any time with changed settings. The owner window (the master, or the editor's page)
  // is not kept.
  void ShowReminder(WindowHandle owner, TReminderLookup reminder, const TFiringState &firing,
                    const TGraphic *picture, const TGIFImage *movingPicture,
                    const TStickerPopup &popup = {});
  // Copies the window's left, top, width and height into the reminder's sticker position.
  void StorePosition(TDataObject &reminder) const;
  void MoveTo(int left, int top);
  // A preview (the editor's live sticker) never writes to the store when it closes, is not
  // raised and does not select its reminder in the main window. Set it before the first show.
  // No sticker takes the focus when it shows.
  void SetPreview(bool value);
  [[nodiscard]] bool Preview() const { return m_preview; }
  // Forgets the reminder: from here on closing stores nothing and a click selects nothing.
  void ReleaseReminder();
  // The reminder shown, as its lookup finds it now; null when it is gone or forgotten.
  [[nodiscard]] TDataObject *Reminder() const { return m_reminder ? m_reminder() : nullptr; }

  [[nodiscard]] TShape *ShapeFrame() const;
  [[nodiscard]] TImage *ImagePicture() const;
  [[nodiscard]] TGIFAnimator *GIFAnimator() const;
  [[nodiscard]] QLabel *LabelText() const;
  [[nodiscard]] QLabel *LabelDate() const;
  [[nodiscard]] QLabel *LabelTime() const;
  [[nodiscard]] QLabel *LabelSubject() const;

  // The window as the colour key sees it: its content over the window colour (lime when the
  // background is transparent).
  [[nodiscard]] QImage RenderKeyImage();

  // The colour that becomes see-through on a transparent background.
  static constexpr QRgb KeyColor = 0xFF00FF00;

protected:
  void closeEvent(QCloseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FormCreate();
  void FormClose();
  void FormMouseDown(Qt::MouseButton button, QPoint globalPos);
  void FormMouseMove(QPoint globalPos, Qt::MouseButtons buttons);
  void MemoTextDblClick();
  void OpenPopup(QPoint globalPos);
  void LoadPictures(const TDataObject &reminder, const TGraphic *picture,
                    const TGIFImage *movingPicture);
  void LayoutElements(const TStickerRec &s);
  void PlaceWindow(const TPositionRec &p);
  // The top-left corners of the other stickers on show.
  [[nodiscard]] std::vector<QPoint> placesTaken() const;
  // The point moved on down and right past every place taken, within the area.
  [[nodiscard]] QPoint cascaded(QPoint at, const QRect &area) const;
  void UpdateColorKey();

  std::unique_ptr<Ui::FormSticker> ui;
  TModel &m_model;
  IUserInterface &m_ui;
  TReminderLookup m_reminder;
  TStickerPopup m_popup;
  QColor m_windowColor;
  bool m_colorKeyed = false;
  // The moving picture's last frame let the background through (or held the key colour).
  bool m_frameShowedThrough = true;
  bool m_preview = false;
  QRect m_shownGeometry; // where ShowReminder put the window
  bool m_raiseDialogsWhenExposed =
      false;                         // shown above other windows: raise the dialogs once mapped
  QPointer<QWindow> m_exposeWatched; // the native window whose first showing is watched
  // Set by the first close after a show, so a second close of the hidden window writes nothing.
  bool m_closed = false;
  // A left press arms the drag; moving past the drag distance starts it.
  bool m_dragArmed = false;
  bool m_manualDrag = false;
  QPoint m_pressGlobal;
  QPoint m_pressWindowPos;
};
