#include "widgets/SpinEditUnit.h"

#include "imaging/Color.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "widgets/Beep.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The spin width of the standard arrows: the scroll-bar width, at most 15.
constexpr int MaxSpinWidth = 15;

// The built-in 6 x 6 arrows, one row a string.
constexpr const char *UpArrowRows[6] = {"      ", "  ##  ", " #### ", "######", "      ", "      "};

QImage arrowGlyph(bool up) {
  QImage image(6, 6, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      if (UpArrowRows[up ? y : 5 - y][x] == '#')
        image.setPixel(x, y, qRgb(0, 0, 0));
  return image;
}

// A given glyph loses the colour of its bottom-left pixel, as the bitmaps of the classic button
// did; a null image gives the built-in arrow.
QImage glyphOrDefault(const QImage &glyph, bool up) {
  if (glyph.isNull())
    return arrowGlyph(up);
  QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == key)
        image.setPixel(x, y, qRgba(0, 0, 0, 0));
  return image;
}

// A line as the classic canvas draws it: from a up to b, b itself left out, so that a polyline
// draws each corner once.
void plotLine(QPainter &painter, QPoint a, QPoint b) {
  int x = a.x(), y = a.y();
  const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
  const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
  int err = dx + dy;
  while (x != b.x() || y != b.y()) {
    painter.drawPoint(x, y);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void polyline(QPainter &painter, TColor color, std::initializer_list<QPoint> points) {
  painter.setPen(QColor(ColorToQRgb(color)));
  const QPoint *previous = nullptr;
  for (const QPoint &p : points) {
    if (previous)
      plotLine(painter, *previous, p);
    previous = &p;
  }
}

// Halves to even, as the classic Round does.
int roundHalfEven(double v) { return int(std::nearbyint(v)); }

// A double as a 64-bit integer. Values beyond the range give its ends and NaN gives 0: a plain
// conversion would be undefined there, and unbounded boxes may hold anything.
int64_t saturate(double v) {
  constexpr double Limit = 9223372036854775808.0; // 2^63
  if (std::isnan(v))
    return 0;
  if (v >= Limit)
    return std::numeric_limits<int64_t>::max();
  if (v < -Limit)
    return std::numeric_limits<int64_t>::min();
  return int64_t(v);
}

// Up to 16 hexadecimal digits (leading zeros not counted), as a 64-bit two's complement value.
bool parseHex(const QString &text, int64_t &out) {
  const QString s = text.trimmed();
  if (s.isEmpty())
    return false;
  uint64_t v = 0;
  int digits = 0;
  for (const QChar c : s) {
    const int d = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
    if (d < 0 || c.unicode() > 127)
      return false;
    if (v != 0 || d != 0)
      ++digits;
    if (digits > 16)
      return false;
    v = (v << 4) | uint64_t(d);
  }
  out = int64_t(v);
  return true;
}

// Fixed-point text with 15 significant digits at most and exactly `decimals` digits after the
// point (zeros fill in beyond the 15 digits). Numbers of more than 15 integer digits fall back to
// the general form.
QString formatFixed(double v, int decimals) {
  if (!std::isfinite(v) || std::fabs(v) >= 1e15)
    return FloatToStr(v);
  const int intDigits = v == 0 ? 1 : int(std::floor(std::log10(std::fabs(v)))) + 1;
  const int shown = std::clamp(15 - intDigits, 0, decimals);
  QString s = QString::number(v, 'f', shown);
  if (shown < decimals)
    s += (shown == 0 ? QStringLiteral(".") : QString()) + QString(decimals - shown, u'0');
  const QChar separator = formatSettings().decimalSeparator;
  if (separator != u'.')
    s.replace(u'.', separator);
  return s;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSpinButton

TSpinButton::TSpinButton(QWidget *parent)
    : QWidget(parent), m_upGlyph(arrowGlyph(true)), m_downGlyph(arrowGlyph(false)) {
  resize(20, 20);
  setCursor(Qt::ArrowCursor);
}

int TSpinButton::halfAt(QPointF pos) const {
  const double w = width(), h = height();
  if (w <= 0)
    return stUp;
  // Below the diagonal from the bottom-left to the top-right corner.
  return pos.y() > h - (h / w) * pos.x() ? stDown : stUp;
}

void TSpinButton::setUpGlyph(const QImage &glyph) {
  m_upGlyph = glyphOrDefault(glyph, true);
  update();
}

void TSpinButton::setDownGlyph(const QImage &glyph) {
  m_downGlyph = glyphOrDefault(glyph, false);
  update();
}

void TSpinButton::clickHalf(int half) {
  if (half == stDown)
    emit bottomClick();
  else
    emit topClick();
}

void TSpinButton::setState(int state) {
  if (m_state == state)
    return;
  m_state = state;
  update();
}

void TSpinButton::mousePressEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !isEnabled())
    return;
  QWidget *focus = m_focusControl;
  if (focus && (focus->focusPolicy() & Qt::TabFocus) && focus->isEnabled() && !focus->hasFocus())
    focus->setFocus(Qt::MouseFocusReason);
  if (m_state == stNone) {
    m_lastDown = stNone;
    m_state = halfAt(event->position());
    m_dragging = true;
    clickHalf(m_state);
    // A handler that ran its own event loop may have taken the release.
    if (!m_dragging)
      m_state = stNone;
    if (m_state != m_lastDown) {
      m_lastDown = m_state;
      update();
    }
    if (!m_repeatTimer) {
      m_repeatTimer = new QTimer(this);
      connect(m_repeatTimer, &QTimer::timeout, this, &TSpinButton::repeatTimerExpired);
    }
    if (m_state != stNone)
      m_repeatTimer->start(FirstRepeatMs);
  }
  if (m_state != stNone)
    m_dragging = true;
}

void TSpinButton::mouseMoveEvent(QMouseEvent *event) {
  if (!m_dragging)
    return;
  const QPointF p = event->position();
  if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
    const int half = halfAt(p);
    if (half != m_state)
      setState(half == m_lastDown ? half : stNone);
  } else {
    setState(stNone);
  }
}

void TSpinButton::mouseReleaseEvent(QMouseEvent *event) {
  if (!m_dragging || event->button() != Qt::LeftButton)
    return;
  m_dragging = false;
  // Once released the timer has nothing to repeat; stopping it keeps an idle box from ticking.
  if (m_repeatTimer)
    m_repeatTimer->stop();
  if (rect().contains(event->position().toPoint())) {
    m_lastDown = stNone;
    setState(stNone);
  }
}

void TSpinButton::repeatTimerExpired() {
  m_repeatTimer->setInterval(RepeatMs);
  if (m_state == stNone || !m_dragging)
    return;
  const int half = m_state;
  // A click handler that throws must not unwind into the event loop: it is reported, and the
  // repeat stops until the next press.
  if (!errors::guardedCall([this, half] { clickHalf(half); }))
    m_repeatTimer->stop();
}

void TSpinButton::changeEvent(QEvent *event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    m_dragging = false;
    if (m_repeatTimer)
      m_repeatTimer->stop();
  }
  QWidget::changeEvent(event);
}

void TSpinButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  drawFace(painter, m_state);
}

// The classic face: a frame, the diagonal, a raised or sunken bevel on each half and the two
// arrows, the pressed half's arrow shifted by one pixel.
void TSpinButton::drawFace(QPainter &painter, int pressed) const {
  const int w = width(), h = height();
  painter.fillRect(rect(), QColor(ColorToQRgb(clBtnFace)));
  const TColor shadow = clBtnShadow, highlight = clBtnHighlight;
  painter.setPen(QColor(ColorToQRgb(clWindowFrame)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, w - 1, h - 1);
  polyline(painter, clWindowFrame, {{-1, h}, {w, -1}});
  polyline(painter, pressed == stUp ? shadow : highlight, {{1, h - 4}, {1, 1}, {w - 3, 1}});
  if (pressed != stUp)
    polyline(painter, shadow, {{1, h - 3}, {w - 2, 0}});
  polyline(painter, pressed == stDown ? highlight : shadow,
           {{2, h - 2}, {w - 2, h - 2}, {w - 2, 1}});
  polyline(painter, pressed == stDown ? shadow : highlight, {{2, h - 2}, {w - 1, 1}});
  const int d = pressed == stUp ? 2 : 1;
  painter.drawImage(roundHalfEven(w / 4.0 - m_upGlyph.width() / 2.0) + d,
                    roundHalfEven(h / 4.0 - m_upGlyph.height() / 2.0) + d, m_upGlyph);
  painter.drawImage(roundHalfEven(3.0 * w / 4.0 - m_downGlyph.width() / 2.0) - 1,
                    roundHalfEven(3.0 * h / 4.0 - m_downGlyph.height() / 2.0) - 1, m_downGlyph);
  if (pressed == stDown)
    polyline(painter, shadow, {{3, h - 2}, {w - 1, 2}});
}

// ---------------------------------------------------------------------------------------------
// TUpDown

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton *b : {m_up, m_down}) {
    b->setArrowType(b == m_up ? Qt::UpArrow : Qt::DownArrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    b->setCursor(Qt::ArrowCursor);
    layout->addWidget(b);
  }
  connect(m_up, &QToolButton::clicked, this, [this] { emit clicked(btNext); });
  connect(m_down, &QToolButton::clicked, this, [this] { emit clicked(btPrev); });
}

// ---------------------------------------------------------------------------------------------
// TSpinEdit

TSpinEdit::TSpinEdit(QWidget *parent) : QLineEdit(parent) {
  setText(QStringLiteral("0"));
  // Input methods would commit text past the character filter; a number box needs none.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!m_changing)
      emit changed();
  });
  rebuildSpinControl();
}

TSpinEdit::~TSpinEdit() { m_changing = true; }

bool TSpinEdit::parseText(double &out) const {
  switch (m_valueType) {
  case vtFloat:
    // Infinity and NaN are no numbers a box can step or show.
    return TryStrToFloat(text(), out) && std::isfinite(out);
  case vtHex: {
    int64_t v = 0;
    if (!parseHex(text(), v))
      return false;
    out = double(v);
    return true;
  }
  case vtInteger:
    break;
  }
  bool ok = false;
  const qlonglong v = text().trimmed().toLongLong(&ok);
  if (ok)
    out = double(v);
  return ok;
}

double TSpinEdit::failureValue() const {
  return m_valueType == vtFloat ? m_minValue : std::trunc(m_minValue);
}

double TSpinEdit::value() const {
  // A typed number is clamped here, not only when the focus leaves: a dialog confirmed with
  // Enter reads the box while the focus is still in it. The failure value is not clamped.
  double v = 0;
  return parseText(v) ? clampValue(v) : failureValue();
}

double TSpinEdit::clampValue(double value) const {
  if (m_maxValue == m_minValue)
    return value;
  if (value < m_minValue)
    return m_minValue;
  if (value > m_maxValue)
    return m_maxValue;
  return value;
}

QString TSpinEdit::formatValue(double value) const {
  switch (m_valueType) {
  case vtFloat:
    return formatFixed(value, m_decimal);
  case vtHex:
    // Negative values show their 64-bit two's complement, which reads back the same.
    return QString::number(uint64_t(saturate(std::nearbyint(value))), 16).toUpper();
  case vtInteger:
    break;
  }
  return QString::number(saturate(std::nearbyint(value)));
}

void TSpinEdit::setValue(double value) { setText(formatValue(clampValue(value))); }

void TSpinEdit::setDecimal(int digits) {
  digits = std::clamp(digits, 0, 255);
  if (digits == m_decimal)
    return;
  const double v = value();
  m_decimal = digits;
  setValue(v);
}

void TSpinEdit::setValueType(TValueType type) {
  if (type == m_valueType)
    return;
  // Read with the old type before switching: read with the new one, an integer "255" would
  // become hexadecimal 597 and a float "1.50" would fail.
  const double v = value();
  m_valueType = type;
  if (type != vtFloat) {
    m_increment = std::nearbyint(m_increment);
    if (m_increment == 0)
      m_increment = 1;
  }
  setValue(v);
}

void TSpinEdit::setButtonKind(TSpinButtonKind kind) {
  const TSpinButtonKind old = m_buttonKind;
  m_buttonKind = kind;
  if (kind != old)
    rebuildSpinControl();
}

void TSpinEdit::setTextAlignment(TAlignment alignment) {
  m_alignment = alignment;
  // Qt mirrors AlignLeft and AlignRight right to left, as the classic style table does.
  setAlignment(alignment == taRightJustify ? Qt::AlignRight
               : alignment == taCenter     ? Qt::AlignHCenter
                                           : Qt::AlignLeft);
}

bool TSpinEdit::accepts(QChar c, const QString &text) const {
  const char16_t u = c.unicode();
  if (!m_editorEnabled && (u == 8 || u >= 32))
    return false;
  if (u < 32 || u == u'+' || u == u'-' || (u >= u'0' && u <= u'9'))
    return true;
  switch (m_valueType) {
  case vtFloat: {
    const QChar separator = formatSettings().decimalSeparator;
    if (c == separator)
      return !text.contains(separator);
    if (u == u'E' || u == u'e')
      return !text.toUpper().contains(u'E');
    return false;
  }
  case vtHex:
    return (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
  case vtInteger:
    break;
  }
  return false;
}

bool TSpinEdit::acceptsChar(QChar c) const { return accepts(c, text()); }

void TSpinEdit::insertFiltered(const QString &text) {
  QString kept;
  QString after = this->text();
  bool refused = false;
  for (const QChar c : text) {
    // Control characters pass the typing filter as keys (Enter, Escape), never as text.
    if (c.unicode() >= 32 && accepts(c, after)) {
      kept += c;
      after += c;
    } else {
      refused = true;
    }
  }
  if (!kept.isEmpty())
    insert(kept);
  if (refused)
    Beep();
}

void TSpinEdit::step(bool up) {
  if (isReadOnly()) {
    Beep();
    return;
  }
  const QString before = text();
  {
    m_changing = true;
    struct Reset {
      bool &flag;
      ~Reset() { flag = false; }
    } reset{m_changing};
    setValue(value() + (up ? m_increment : -m_increment));
  }
  if (text().compare(before, Qt::CaseInsensitive) != 0) {
    setModified(true);
    emit changed();
  }
  if (up)
    emit topClick();
  else
    emit bottomClick();
}

void TSpinEdit::stepUp() { step(true); }

void TSpinEdit::stepDown() { step(false); }

void TSpinEdit::keyPressEvent(QKeyEvent *event) {
  if (m_arrowKeys && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    step(event->key() == Qt::Key_Up);
    event->accept();
    return;
  }
  // The edit's own cut and paste bypass the character filter.
  if (event->matches(QKeySequence::Paste)) {
    if (canEdit())
      insertFiltered(QApplication::clipboard()->text());
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Cut)) {
    if (canEdit())
      cut();
    event->accept();
    return;
  }
  const QString typed = event->text();
  for (const QChar c : typed) {
    if (!acceptsChar(c)) {
      Beep();
      event->accept();
      return;
    }
  }
  // Enter and Escape are ignored by the line edit, so they reach the dialog's default and
  // cancel buttons.
  QLineEdit::keyPressEvent(event);
}

void TSpinEdit::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  const Qt::FocusReason r = event->reason();
  if (r != Qt::MouseFocusReason && r != Qt::PopupFocusReason && r != Qt::ActiveWindowFocusReason)
    selectAll();
}

void TSpinEdit::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  // A context menu or another window taking the focus is no leaving of the box.
  const Qt::FocusReason r = event->reason();
  if (r == Qt::PopupFocusReason || r == Qt::ActiveWindowFocusReason)
    return;
  double v = 0;
  if (!parseText(v))
    v = failureValue();
  const double clamped = clampValue(v);
  if (clamped != v)
    setValue(clamped);
}

void TSpinEdit::mouseReleaseEvent(QMouseEvent *event) {
  // The middle button pastes the primary selection on X11; it takes the typing rules too.
  if (event->button() == Qt::MiddleButton) {
    QClipboard *clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && canEdit()) {
      deselect();
      insertFiltered(clipboard->text(QClipboard::Selection));
    }
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TSpinEdit::dragEnterEvent(QDragEnterEvent *event) {
  if (!canEdit()) {
    event->ignore();
    return;
  }
  QLineEdit::dragEnterEvent(event);
}

void TSpinEdit::dragMoveEvent(QDragMoveEvent *event) {
  if (!canEdit()) {
    event->ignore();
    return;
  }
  QLineEdit::dragMoveEvent(event);
}

void TSpinEdit::dropEvent(QDropEvent *event) {
  if (!canEdit() || !event->mimeData()->hasText()) {
    event->ignore();
    return;
  }
  deselect();
  setCursorPosition(cursorPositionAt(event->position().toPoint()));
  insertFiltered(event->mimeData()->text());
  event->acceptProposedAction();
}

// The edit's usual menu, built here because Qt's own one pastes past the character filter.
QMenu *TSpinEdit::createEditMenu() {
  auto *menu = new QMenu(this);
  const bool edit = canEdit();
  const bool selected = hasSelectedText();
  const auto add = [&](const char *name, const char *text, QKeySequence::StandardKey key,
                       bool enabled, auto slot) {
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    QAction *action = menu->addAction(
        QLineEdit::tr(text) + (shortcut.isEmpty() ? QString() : u'\t' + shortcut), this, slot);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(enabled);
  };
  add("edit-undo", "&Undo", QKeySequence::Undo, edit && isUndoAvailable(), &QLineEdit::undo);
  add("edit-redo", "&Redo", QKeySequence::Redo, edit && isRedoAvailable(), &QLineEdit::redo);
  menu->addSeparator();
  add("edit-cut", "Cu&t", QKeySequence::Cut, edit && selected, &QLineEdit::cut);
  add("edit-copy", "&Copy", QKeySequence::Copy, selected, &QLineEdit::copy);
  add("edit-paste", "&Paste", QKeySequence::Paste,
      edit && !QApplication::clipboard()->text().isEmpty(),
      [this] { insertFiltered(QApplication::clipboard()->text()); });
  add("edit-delete", "Delete", QKeySequence::UnknownKey, edit && selected, &QLineEdit::del);
  menu->addSeparator();
  add("select-all", "Select All", QKeySequence::SelectAll, !text().isEmpty(),
      &QLineEdit::selectAll);
  return menu;
}

void TSpinEdit::contextMenuEvent(QContextMenuEvent *event) {
  QMenu *menu = createEditMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void TSpinEdit::resizeEvent(QResizeEvent *event) {
  QLineEdit::resizeEvent(event);
  placeSpinControl();
}

void TSpinEdit::changeEvent(QEvent *event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange ||
      event->type() == QEvent::StyleChange)
    placeSpinControl();
}

void TSpinEdit::upDownClicked(TUpDown::TUDBtnType button) {
  if ((focusPolicy() & Qt::TabFocus) && isEnabled() && !hasFocus())
    setFocus(Qt::MouseFocusReason);
  step(button == TUpDown::btNext);
}

void TSpinEdit::rebuildSpinControl() {
  if (m_changing)
    return;
  delete m_button;
  delete m_upDown;
  if (m_buttonKind == bkStandard) {
    m_upDown = new TUpDown(this);
    connect(m_upDown, &TUpDown::clicked, this, &TSpinEdit::upDownClicked);
    m_upDown->show();
  } else {
    m_button = new TSpinButton(this);
    m_button->setFocusControl(this);
    connect(m_button, &TSpinButton::topClick, this, &TSpinEdit::stepUp);
    connect(m_button, &TSpinButton::bottomClick, this, &TSpinEdit::stepDown);
    m_button->show();
  }
  placeSpinControl();
}

// The spin control sits inside the frame at the right edge (left edge right to left): the
// diagonal button as a square of the inner height, the up-down one scroll bar wide. The text
// keeps clear of it.
void TSpinEdit::placeSpinControl() {
  const int frame =
      hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
  const QRect inner = rect().adjusted(frame, frame, -frame, -frame);
  const int side = std::max(0, inner.height());
  const int width =
      m_upDown ? std::min(MaxSpinWidth, style()->pixelMetric(QStyle::PM_ScrollBarExtent)) : side;
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  const QRect place(rtl ? inner.left() : inner.right() - width + 1, inner.top(), width, side);
  if (m_upDown)
    m_upDown->setGeometry(place);
  if (m_button)
    m_button->setGeometry(place);
  if (rtl)
    setTextMargins(width + 1, 0, 0, 0);
  else
    setTextMargins(0, 0, width + 2, 0);
  setMinimumHeight(4 + fontMetrics().height() + 1);
}
