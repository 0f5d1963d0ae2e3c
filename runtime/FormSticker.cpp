#include "runtime/FormSticker.h"

#include "imaging/Color.h"
#include "imaging/GIFImage.h"
#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/Paths.h"
#include "model/ReminderTexts.h"
#include "model/ScheduleText.h"
#include "platform/FormatSettings.h"
#include "runtime/StickerFont.h"
#include "runtime/StickerLayout.h"
#include "runtime/UserInterface.h"
#include "widgets/GIFControl.h"
#include "widgets/Image.h"
#include "widgets/Shape.h"
#include "widgets/WindowHelpers.h"

#include "ui_FormSticker.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <exception>

namespace {

Qt::Alignment qtAlignment(TStickerTextAlignment alignment) {
  switch (alignment) {
  case TStickerTextAlignment::Right:
    return Qt::AlignRight | Qt::AlignTop;
  case TStickerTextAlignment::Centre:
    return Qt::AlignHCenter | Qt::AlignTop;
  default:
    return Qt::AlignLeft | Qt::AlignTop;
  }
}

// Texts keep CR LF line breaks; a label breaks lines at LF only.
QString displayText(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

// Tool tips guess rich text from the content, so a subject such as "<b>" would be markup. The
// hint is escaped and sent as rich text on purpose, which keeps it exactly as typed.
QString toolTipText(const QString &hint) {
  if (hint.isEmpty())
    return {};
  QString html = displayText(hint).toHtmlEscaped();
  html.replace(u'\n', QLatin1String("<br>"));
  return QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>");
}

QColor colorOf(int32_t color) { return QColor::fromRgb(ColorToQRgb(TColor(color))); }

// How far a sticker moves on, down and right, from a place another one already shows at, and how
// often at most.
constexpr int CascadeStep = 24;
constexpr int MaxCascadeSteps = 64;

// The screen a sticker shows on: the one that holds its stored place, else the primary one.
QScreen *targetScreen(const TPositionRec &p) {
  if (!IsEmptyPosition(p))
    if (QScreen *screen = QGuiApplication::screenAt(QPoint(p.left, p.top)))
      return screen;
  return QGuiApplication::primaryScreen();
}

// The top-left corner that keeps a window of this size inside the area (its top-left corner
// first, when the window is larger).
QPoint keptInside(QPoint at, QSize size, const QRect &area) {
  return {std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())),
          std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()))};
}

// The size a moving picture shows at: 0 x 0 when there is nothing to show.
QSize movingPictureSize(const TGIFImage &gif) {
  if (gif.empty())
    return {0, 0};
  const qint64 w = gif.screenWidth();
  const qint64 h = gif.screenHeight();
  if (w > TGIFAnimator::MaxScreenSide || h > TGIFAnimator::MaxScreenSide ||
      w * h > TGIFAnimator::MaxScreenPixels)
    return {0, 0};
  return {int(w), int(h)};
}

} // namespace

TFormSticker::TFormSticker(TModel &model, IUserInterface &userInterface, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::FormSticker>()), m_model(model), m_ui(userInterface) {
  // An X11 window gets its visual once, when it is created: translucency must be asked for
  // before that, also for stickers that start opaque (the preview switches it live).
  setAttribute(Qt::WA_TranslucentBackground);
  ui->setupUi(this);
  FormCreate();
}

TFormSticker::~TFormSticker() {
  ui->GIFAnimator->onFrameChanged = nullptr;
  ui->GIFAnimator->setAnimate(false);
}

TShape *TFormSticker::ShapeFrame() const { return ui->ShapeFrame; }
TImage *TFormSticker::ImagePicture() const { return ui->ImagePicture; }
TGIFAnimator *TFormSticker::GIFAnimator() const { return ui->GIFAnimator; }
QLabel *TFormSticker::LabelText() const { return ui->LabelText; }
QLabel *TFormSticker::LabelDate() const { return ui->LabelDate; }
QLabel *TFormSticker::LabelTime() const { return ui->LabelTime; }
QLabel *TFormSticker::LabelSubject() const { return ui->LabelSubject; }

void TFormSticker::FormCreate() {
  setWindowRole(QStringLiteral("FormSticker"));
  // A sticker that comes up while the user types elsewhere must not take the keys.
  setAttribute(Qt::WA_ShowWithoutActivating);
  resize(0, 0);
  ui->ImagePicture->setCenter(true);
  // The layout may give a picture larger than the screen less room than it needs.
  ui->ImagePicture->setShrinkToFit(true);
  ui->GIFAnimator->setCenter(true);
  // The layout sizes the moving picture; it must not resize itself behind the layout's back.
  ui->GIFAnimator->setAutoSize(false);
  for (QLabel *label : {ui->LabelText, ui->LabelDate, ui->LabelTime, ui->LabelSubject}) {
    label->hide();
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(false);
    label->setMargin(0);
    label->setCursor(Qt::PointingHandCursor);
  }
  ui->ImagePicture->hide();
  ui->GIFAnimator->hide();
  for (QWidget *w : std::initializer_list<QWidget *>{ui->ShapeFrame, ui->ImagePicture,
                                                     ui->GIFAnimator, ui->LabelText, ui->LabelDate,
                                                     ui->LabelTime, ui->LabelSubject})
    w->installEventFilter(this);
  // On a transparent background the colour key follows the moving picture frame by frame. Two
  // frames in a row that let nothing through leave the key as it was, and working it out for the
  // whole window at every step cost a 1024 x 768 sticker 2 % of a core.
  ui->GIFAnimator->onFrameChanged = [this](QObject *) {
    if (!m_colorKeyed || !isVisible())
      return;
    const bool through = ui->GIFAnimator->frameShowsThrough(KeyColor);
    if (through || m_frameShowedThrough)
      UpdateColorKey();
    m_frameShowedThrough = through;
  };
}

// The owner window is not kept: the sticker is a top-level window of its own, and whoever wants
// to reach the master or the editor already has its handle.
void TFormSticker::ShowReminder(WindowHandle, TReminderLookup find, const TFiringState &firing,
                                const TGraphic *picture, const TGIFImage *movingPicture,
                                const TStickerPopup &popup) {
  m_reminder = std::move(find);
  m_popup = popup;
  m_closed = false;
  const TDataObject *reminder = Reminder();
  if (!reminder)
    return;
  const TStickerRec &s = reminder->sticker;

  m_colorKeyed = s.background.transparent;
  m_windowColor = m_colorKeyed ? QColor::fromRgb(KeyColor) : colorOf(s.background.color);
  setWindowOpacity(s.opacity > 0 ? StickerAlpha(s.opacity) / 255.0 : 1.0);

  // The window colour is painted by the frame shape; on a transparent background nothing is, so
  // a compositor shows the desktop through it, and the colour key removes it for everyone else.
  ui->ShapeFrame->setBrushColor(m_colorKeyed ? QColor(Qt::transparent) : m_windowColor);
  ui->ShapeFrame->setPenStyle(int(s.frame.style));
  ui->ShapeFrame->setPenColor(colorOf(s.frame.color));
  QPalette animatorPalette = ui->GIFAnimator->palette();
  animatorPalette.setColor(QPalette::Window, m_windowColor);
  ui->GIFAnimator->setPalette(animatorPalette);

  const QString hint = toolTipText(GetHintText(*reminder, firing));
  for (QWidget *w :
       std::initializer_list<QWidget *>{ui->GIFAnimator, ui->ImagePicture, ui->LabelText,
                                        ui->LabelDate, ui->LabelTime, ui->LabelSubject})
    w->setToolTip(hint);

  QString note;
  if (firing.kind == TFireKind::RemindBefore)
    note = QStringLiteral(" (") + RemindBeforeText(reminder->remindBefore) + u')';
  const auto apply = [](QLabel *label, const QString &caption, const TStickerTextRec &rec) {
    label->setText(displayText(caption));
    label->setFont(FontFromRec(rec.font));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colorOf(rec.font.color));
    label->setPalette(p);
    label->setAlignment(qtAlignment(rec.alignment));
    label->setVisible(rec.enable);
    label->adjustSize();
  };
  apply(ui->LabelSubject, reminder->subject + note, s.subject);
  note = s.subject.enable || note.isEmpty() ? QString() : QStringLiteral("\r\n") + note;
  apply(ui->LabelText, reminder->text + note, s.text);
  apply(ui->LabelDate, DateToStr(firing.fireTime), s.date);
  apply(ui->LabelTime, TimeToStr(firing.fireTime), s.time);

  LoadPictures(*reminder, picture, movingPicture);
  ui->ImagePicture->setTransparent(s.image.transparent);
  ui->ImagePicture->setVisible(s.image.enable);
  ui->GIFAnimator->setTransparent(s.movingImage.transparent);
  ui->GIFAnimator->setVisible(s.movingImage.enable);
  ui->GIFAnimator->setAnimate(s.movingImage.enable);

  LayoutElements(s);
  PlaceWindow(s.position);
  UpdateColorKey();

  setWindowTitle(reminder->subject);
  // A sticker on show already keeps the place it first came up at: a move since then is kept.
  const bool comingUp = isHidden();
  show();
  if (comingUp)
    m_shownGeometry = geometry();
  // Raised, never activated: the keys stay with the window the user types in, and the program's
  // own dialogs stay above the sticker.
  if (s.onTop && !m_preview) {
    raise();
    RaiseDialogsKeptAbove();
    // Under a window manager the raise of a dialog may not take: openbox raises a modal dialog
    // of the editor as the family of the main window, in that window's layer, and the sticker
    // came up above the editor's "Next dates of run" box. Once the sticker is on the screen, it
    // goes to the bottom of its layer (still above ordinary windows) when a dialog is open.
    m_raiseDialogsWhenExposed = true;
    if (QWindow *native = windowHandle(); native && native != m_exposeWatched) {
      native->installEventFilter(this);
      m_exposeWatched = native;
    }
  }
}

void TFormSticker::LoadPictures(const TDataObject &reminder, const TGraphic *picture,
                                const TGIFImage *movingPicture) {
  // A picture that cannot be read shows as nothing; the reminder still shows.
  try {
    if (picture || movingPicture) {
      ui->ImagePicture->picture().setGraphic(picture);
      ui->GIFAnimator->setImage(movingPicture);
      return;
    }
    TStickerImages images = LoadStickerImages(m_model, reminder);
    ui->ImagePicture->picture().takeGraphic(std::move(images.image));
    ui->GIFAnimator->setImage(dynamic_cast<const TGIFImage *>(images.movingImage.get()));
  } catch (const std::exception &) {
    ui->ImagePicture->picture().setGraphic(nullptr);
    ui->GIFAnimator->setImage(nullptr);
  }
}

void TFormSticker::LayoutElements(const TStickerRec &s) {
  const auto label = [](const QLabel *l, const TStickerTextRec &rec) {
    return TStickerLabelBox{rec.enable, rec.position, rec.alignment, l->size()};
  };
  TStickerLayoutInput in;
  in.date = label(ui->LabelDate, s.date);
  in.time = label(ui->LabelTime, s.time);
  in.subject = label(ui->LabelSubject, s.subject);
  in.text = label(ui->LabelText, s.text);
  in.image = {s.image.enable, s.image.position, ui->ImagePicture->pictureSize()};
  in.movingImage = {s.movingImage.enable, s.movingImage.position,
                    movingPictureSize(ui->GIFAnimator->image())};
  in.window = s.position;
  if (const QScreen *screen = targetScreen(s.position))
    in.workArea = screen->availableGeometry().size();

  const TStickerLayout out = LayoutSticker(in);
  ui->LabelDate->setGeometry(out.date);
  ui->LabelTime->setGeometry(out.time);
  ui->LabelSubject->setGeometry(out.subject);
  ui->LabelText->setGeometry(out.text);
  ui->ImagePicture->setGeometry(out.image);
  ui->GIFAnimator->setGeometry(out.movingImage);
  // Scaled down to fit the screen, the moving picture is drawn into its smaller box (the layout
  // kept its proportions).
  ui->GIFAnimator->setStretch(IsEmptyPosition(s.movingImage.position) &&
                              out.movingImage.size() != in.movingImage.size);
  ui->ShapeFrame->setGeometry(QRect(QPoint(0, 0), out.window));
  resize(out.window);
}

// 1. An empty position means "place it for me": the middle of the primary screen's work area
//    (or, for a sticker on show, where it is).
// 2. A stored place is taken as it is, then the whole window is moved into the work area of the
//    screen that holds it (the primary one when none does: a monitor that is gone).
// 3. A sticker about to appear where another shows already moves on, so that both can be seen.
void TFormSticker::PlaceWindow(const TPositionRec &p) {
  const QScreen *screen = targetScreen(p);
  const QPoint stored(std::clamp(p.left, -StickerMaxCoordinate, StickerMaxCoordinate),
                      std::clamp(p.top, -StickerMaxCoordinate, StickerMaxCoordinate));
  if (!screen) {
    move(stored);
    return;
  }
  const QRect area = screen->availableGeometry();
  // A sticker already on show is filled again (the preview at every change): without a stored
  // place it stays where it is, and it never walks off to a free place.
  QPoint at;
  if (!IsEmptyPosition(p))
    at = keptInside(stored, size(), area);
  else if (!isHidden())
    at = keptInside(pos(), size(), area);
  else
    at = QPoint(area.left() + (area.width() - width()) / 2,
                area.top() + (area.height() - height()) / 2);
  if (isHidden())
    at = cascaded(at, area);
  move(at);
}

// Gathered once for a placement: demo mode places a thousand stickers in one go.
std::vector<QPoint> TFormSticker::placesTaken() const {
  std::vector<QPoint> places;
  for (const QWidget *w : ShownTopLevelWidgets())
    if (w != this && qobject_cast<const TFormSticker *>(w))
      places.push_back(w->pos());
  return places;
}

QPoint TFormSticker::cascaded(QPoint at, const QRect &area) const {
  const std::vector<QPoint> places = placesTaken();
  const auto taken = [&places](QPoint p) {
    return std::any_of(places.cbegin(), places.cend(),
                       [p](QPoint q) { return (q - p).manhattanLength() < CascadeStep; });
  };
  for (int step = 0; step < MaxCascadeSteps && taken(at); ++step) {
    at += QPoint(CascadeStep, CascadeStep);
    if (at != keptInside(at, size(), area))
      at = area.topLeft();
  }
  return at;
}

QImage TFormSticker::RenderKeyImage() {
  // Opaque: the window colour is under everything, and painting into an image with alpha made
  // the key of a see-through moving picture cost twice as much.
  QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  image.fill(m_windowColor);
  render(&image, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
  return image;
}

void TFormSticker::UpdateColorKey() {
  // Whatever the moving picture shows next, the key is worked out once more after this.
  m_frameShowedThrough = true;
  if (!m_colorKeyed) {
    clearMask();
    return;
  }
  // The shape mask (XShape on X11) hides the key-coloured pixels and lets clicks through them,
  // with or without a compositor.
  // The image marks the key pixels; the bitmap made from it leaves exactly those out.
  const QImage key = RenderKeyImage();
  setMask(QBitmap::fromImage(key.createMaskFromColor(KeyColor, Qt::MaskInColor)));
}

void TFormSticker::StorePosition(TDataObject &reminder) const {
  const QRect g = geometry();
  TPositionRec &p = reminder.sticker.position;
  p.left = g.x();
  p.top = g.y();
  p.width = g.width();
  p.height = g.height();
}

void TFormSticker::MoveTo(int left, int top) { move(left, top); }

void TFormSticker::SetPreview(bool value) { m_preview = value; }

void TFormSticker::ReleaseReminder() {
  m_reminder = {};
  m_popup = {};
  ui->GIFAnimator->setAnimate(false);
}

void TFormSticker::closeEvent(QCloseEvent *event) {
  event->accept();
  if (m_closed)
    return;
  m_closed = true;
  FormClose();
}

void TFormSticker::FormClose() {
  TDataObject *reminder = Reminder();
  if (!reminder)
    return;
  // Closed where it came up: the reminder keeps the place it had (none, or the one stored), so
  // that a sticker shown in the middle or cascaded aside does not take that place for good.
  if (!m_preview && geometry() == m_shownGeometry)
    return;
  StorePosition(*reminder);
  // A preview carries the real reminder's id: its place reaches the store only when the editor
  // saves the reminder, never when the preview goes away.
  if (!m_preview)
    SaveStickerPosition(m_model, *reminder);
}

bool TFormSticker::eventFilter(QObject *watched, QEvent *event) {
  if (watched == windowHandle()) {
    if (event->type() == QEvent::Expose && m_raiseDialogsWhenExposed &&
        windowHandle()->isExposed()) {
      m_raiseDialogsWhenExposed = false;
      if (RaiseDialogsKeptAbove())
        lower();
    }
    return false;
  }
  switch (event->type()) {
  case QEvent::MouseButtonPress: {
    const auto *e = static_cast<QMouseEvent *>(event);
    FormMouseDown(e->button(), e->globalPosition().toPoint());
    return true;
  }
  case QEvent::MouseMove: {
    const auto *e = static_cast<QMouseEvent *>(event);
    FormMouseMove(e->globalPosition().toPoint(), e->buttons());
    return true;
  }
  case QEvent::MouseButtonRelease:
    m_dragArmed = false;
    m_manualDrag = false;
    return true;
  case QEvent::MouseButtonDblClick:
    if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
      MemoTextDblClick();
    return true;
  case QEvent::ContextMenu:
    OpenPopup(static_cast<QContextMenuEvent *>(event)->globalPos());
    return true;
  default:
    return QWidget::eventFilter(watched, event);
  }
}

void TFormSticker::FormMouseDown(Qt::MouseButton button, QPoint globalPos) {
  const QPointer<TFormSticker> self(this);
  if (const TDataObject *reminder = Reminder(); reminder && !m_preview)
    (void)hub().send(m_ui.MainWindowHandle(), msg::WM_SELECT_REMINDER, uintptr_t(reminder->Number));
  if (!self)
    return;
  // The drag starts once the pointer moves, so a click or a double-click stays one.
  if (button == Qt::LeftButton) {
    m_dragArmed = true;
    m_manualDrag = false;
    m_pressGlobal = globalPos;
    m_pressWindowPos = pos();
  }
  // Looked up again: the main window's handler of the press may have re-read the reminder.
  if (const TDataObject *reminder = Reminder(); reminder && m_popup.menu && m_popup.setTag)
    m_popup.setTag(reminder->Number);
  m_ui.SetEditorModified();
}

void TFormSticker::FormMouseMove(QPoint globalPos, Qt::MouseButtons buttons) {
  if (!m_dragArmed || !(buttons & Qt::LeftButton))
    return;
  const QPoint delta = globalPos - m_pressGlobal;
  if (!m_manualDrag) {
    if (delta.manhattanLength() < QApplication::startDragDistance())
      return;
    // The window manager moves the window when it can; otherwise (no window manager, the
    // offscreen platform) the window follows the pointer by hand.
    if (windowHandle() && windowHandle()->startSystemMove()) {
      m_dragArmed = false;
      return;
    }
    m_manualDrag = true;
  }
  move(m_pressWindowPos + delta);
}

void TFormSticker::MemoTextDblClick() {
  const TDataObject *reminder = Reminder();
  if (!reminder || !m_popup.menu)
    return;
  const int32_t number = reminder->Number;
  if (m_popup.setTag)
    m_popup.setTag(number);
  // "Edit" opens the editor, which stops this reminder's outputs and so releases this window:
  // it must run after this handler has returned.
  const QPointer<QMenu> menu = m_popup.menu;
  const auto setTag = m_popup.setTag;
  QMetaObject::invokeMethod(
      menu.data(),
      [menu, setTag, number] {
        if (!menu || menu->actions().isEmpty())
          return;
        if (setTag)
          setTag(number);
        menu->actions().first()->trigger();
      },
      Qt::QueuedConnection);
}

void TFormSticker::OpenPopup(QPoint globalPos) {
  if (!m_popup.menu)
    return;
  if (const TDataObject *reminder = Reminder(); reminder && m_popup.setTag)
    m_popup.setTag(reminder->Number);
  // popup(), not exec(): an item may release this window, which must not be inside a nested loop
  // of its own handler then.
  m_popup.menu->popup(globalPos);
}
