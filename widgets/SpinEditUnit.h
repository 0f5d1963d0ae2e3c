#pragma once

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QMenu;
class QTimer;
class QToolButton;

// The square spin button of a spin edit. Its diagonal from the bottom-left to the top-right
// corner splits it into an up half (top left) and a down half (bottom right). Holding the left
// button on a half clicks it at the press, again after 400 ms and then every 100 ms while the
// pointer stays over that half; moving off the half pauses the repeat, coming back resumes it.
class TSpinButton : public QWidget {
  Q_OBJECT
public:
  // The pressed half.
  enum TState { stNone = 0, stUp = 1, stDown = 2 };
  static constexpr int FirstRepeatMs = 400;
  static constexpr int RepeatMs = 100;

  explicit TSpinButton(QWidget *parent = nullptr);

  [[nodiscard]] int state() const { return m_state; }
  // The half a point of the button lies in (stUp or stDown).
  [[nodiscard]] int halfAt(QPointF pos) const;

  // Arrow glyphs; a null image puts back the built-in 6 x 6 arrow. The colour of a given
  // glyph's bottom-left pixel is left out when it is drawn.
  [[nodiscard]] QImage upGlyph() const { return m_upGlyph; }
  void setUpGlyph(const QImage &glyph);
  [[nodiscard]] QImage downGlyph() const { return m_downGlyph; }
  void setDownGlyph(const QImage &glyph);

  // The control that takes the focus when the button is pressed (not owned).
  [[nodiscard]] QWidget *focusControl() const { return m_focusControl; }
  void setFocusControl(QWidget *control) { m_focusControl = control; }

  // The repeat timer; null until the first press.
  [[nodiscard]] QTimer *repeatTimer() const { return m_repeatTimer; }

signals:
  void topClick();
  void bottomClick();

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void repeatTimerExpired();
  void clickHalf(int half);
  void setState(int state);
  void drawFace(QPainter &painter, int pressed) const;

  int m_state = stNone;
  // The half pressed when the button went down.
  int m_lastDown = stNone;
  // The left button went down on the button and has not been released.
  bool m_dragging = false;
  QImage m_upGlyph;
  QImage m_downGlyph;
  QTimer *m_repeatTimer = nullptr;
  QPointer<QWidget> m_focusControl;
};

// The platform's up and down arrows: the spin control of a spin edit whose button kind is
// bkStandard. Each arrow repeats while held.
class TUpDown : public QWidget {
  Q_OBJECT
public:
  enum TUDBtnType { btNext, btPrev };
  Q_ENUM(TUDBtnType)

  explicit TUpDown(QWidget *parent = nullptr);

signals:
  // btNext for the up arrow, btPrev for the down arrow.
  void clicked(TUpDown::TUDBtnType button);

private:
  QToolButton *m_up;
  QToolButton *m_down;
};

// A numeric edit box with a spin control at its right edge (left edge right to left). Its text
// is a number read and written as value(): an integer, a fixed-point number with decimal()
// digits, or hexadecimal. Values are kept within minValue()..maxValue(), except that equal
// bounds mean no bounds. Numbers use the program's formatSettings(), like every other number
// text of the program.
//
// changed() is the box's change notification: it is emitted for every change of the text, typed
// or written through setValue() or setText(), except while a step rewrites the text; a step then
// emits it once itself when the text differs (compared without case) and marks the box modified.
// Forms connect to changed(), not to textChanged().
class TSpinEdit : public QLineEdit {
  Q_OBJECT
public:
  enum TValueType { vtInteger, vtFloat, vtHex };
  Q_ENUM(TValueType)
  enum TSpinButtonKind { bkStandard, bkDiagonal };
  Q_ENUM(TSpinButtonKind)
  enum TAlignment { taLeftJustify, taRightJustify, taCenter };
  Q_ENUM(TAlignment)

private:
  // In the order a form sets them: the bounds and the type before the value.
  Q_PROPERTY(TAlignment textAlignment READ textAlignment WRITE setTextAlignment)
  Q_PROPERTY(bool arrowKeys READ arrowKeys WRITE setArrowKeys)
  Q_PROPERTY(TSpinButtonKind buttonKind READ buttonKind WRITE setButtonKind)
  Q_PROPERTY(int decimal READ decimal WRITE setDecimal)
  Q_PROPERTY(bool editorEnabled READ editorEnabled WRITE setEditorEnabled)
  Q_PROPERTY(double increment READ increment WRITE setIncrement)
  Q_PROPERTY(double maxValue READ maxValue WRITE setMaxValue)
  Q_PROPERTY(double minValue READ minValue WRITE setMinValue)
  Q_PROPERTY(TValueType valueType READ valueType WRITE setValueType)
  Q_PROPERTY(double value READ value WRITE setValue)

public:
  explicit TSpinEdit(QWidget *parent = nullptr);
  ~TSpinEdit() override;

  // The number the text shows, kept within the bounds. A text that is no number of the value
  // type reads as minValue() (truncated toward zero for the integer types), never clamped.
  [[nodiscard]] double value() const;
  // Clamps the value and writes its text.
  void setValue(double value);

  [[nodiscard]] double minValue() const { return m_minValue; }
  void setMinValue(double value) { m_minValue = value; }
  [[nodiscard]] double maxValue() const { return m_maxValue; }
  void setMaxValue(double value) { m_maxValue = value; }
  [[nodiscard]] double increment() const { return m_increment; }
  void setIncrement(double value) { m_increment = value; }
  // Digits after the decimal separator for vtFloat; a change rewrites the value.
  [[nodiscard]] int decimal() const { return m_decimal; }
  void setDecimal(int digits);
  // A change reads the value as the old type, then writes it as the new one. The integer types
  // round the increment (1 when that gives 0).
  [[nodiscard]] TValueType valueType() const { return m_valueType; }
  void setValueType(TValueType type);
  // Whether typing, cutting and pasting are allowed.
  [[nodiscard]] bool editorEnabled() const { return m_editorEnabled; }
  void setEditorEnabled(bool value) { m_editorEnabled = value; }
  // Whether the Up and Down keys step the value.
  [[nodiscard]] bool arrowKeys() const { return m_arrowKeys; }
  void setArrowKeys(bool value) { m_arrowKeys = value; }
  [[nodiscard]] TSpinButtonKind buttonKind() const { return m_buttonKind; }
  void setButtonKind(TSpinButtonKind kind);
  [[nodiscard]] TAlignment textAlignment() const { return m_alignment; }
  void setTextAlignment(TAlignment alignment);

  // Set while a step rewrites the text (and while the box is destroyed).
  [[nodiscard]] bool changing() const { return m_changing; }

  // Whether a typed character is allowed: "+", "-" and the digits; for vtFloat one decimal
  // separator and one exponent letter; for vtHex A-F in either case; every control character.
  // With the editor disabled, Backspace and every printable character are refused.
  [[nodiscard]] virtual bool acceptsChar(QChar c) const;
  // Adds (subtracts) the increment. A read-only box only beeps. topClick() (bottomClick()) is
  // emitted after every step, also at a bound where the value stays.
  virtual void stepUp();
  virtual void stepDown();

  // The spin control: the diagonal button (bkDiagonal) or the up-down (bkStandard).
  [[nodiscard]] TSpinButton *spinButton() const { return m_button; }
  [[nodiscard]] TUpDown *upDown() const { return m_upDown; }

  // The context menu: the edit's own, with cut, paste and delete bound to the rules of typing.
  [[nodiscard]] QMenu *createEditMenu();

signals:
  void changed();
  void topClick();
  void bottomClick();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  [[nodiscard]] bool parseText(double &out) const;
  // What a text that is no number reads as.
  [[nodiscard]] double failureValue() const;
  [[nodiscard]] double clampValue(double value) const;
  [[nodiscard]] QString formatValue(double value) const;
  [[nodiscard]] bool accepts(QChar c, const QString &text) const;
  [[nodiscard]] bool canEdit() const { return m_editorEnabled && !isReadOnly(); }
  // Inserts text as if it were typed: characters the filter refuses are left out, with a beep.
  void insertFiltered(const QString &text);
  void step(bool up);
  void upDownClicked(TUpDown::TUDBtnType button);
  void rebuildSpinControl();
  void placeSpinControl();

  TAlignment m_alignment = taLeftJustify;
  double m_minValue = 0;
  double m_maxValue = 0;
  double m_increment = 1.0;
  int m_decimal = 2;
  bool m_changing = false;
  bool m_editorEnabled = true;
  TValueType m_valueType = vtInteger;
  bool m_arrowKeys = true;
  TSpinButtonKind m_buttonKind = bkDiagonal;
  QPointer<TSpinButton> m_button;
  QPointer<TUpDown> m_upDown;
};
