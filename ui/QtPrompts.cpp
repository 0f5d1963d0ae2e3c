#include "ui/QtPrompts.h"

#include "model/LanguageTable.h"
#include "ui/ColorShape.h"
#include "ui/FormBounds.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

const QString Title = QStringLiteral("Tolvane");
// Where a dialog's inside was on the screen when it last closed (a QPoint).
constexpr const char *LastPlaceProperty = "lastPlace";

// Deletes the dialog after use unless its parent took it down already.
template <class T> class OwnedDialog {
public:
  explicit OwnedDialog(T *dialog) : m_dialog(dialog) {}
  ~OwnedDialog() { delete m_dialog.data(); }
  OwnedDialog(const OwnedDialog &) = delete;
  OwnedDialog &operator=(const OwnedDialog &) = delete;
  T *operator->() const { return m_dialog.data(); }
  [[nodiscard]] T *get() const { return m_dialog.data(); }

private:
  QPointer<T> m_dialog;
};

QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString &text,
                                    QMessageBox::StandardButtons buttons,
                                    const QString &details = {}) {
  OwnedDialog<QMessageBox> box(new QMessageBox(icon, Title, text, buttons, PromptParent()));
  if (!details.isEmpty())
    box->setInformativeText(details);
  const int result = RunDialog(box.get());
  if (!box.get())
    return QMessageBox::Cancel;
  const auto button = box->standardButton(box->clickedButton());
  return button == QMessageBox::NoButton ? QMessageBox::StandardButton(result) : button;
}

QString runFileDialog(QFileDialog *raw, const TFileChoice &choice) {
  OwnedDialog<QFileDialog> dialog(raw);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  if (!choice.title.isEmpty())
    dialog->setWindowTitle(choice.title);
  if (!choice.folder.isEmpty())
    dialog->setDirectory(choice.folder);
  if (!choice.fileName.isEmpty())
    dialog->selectFile(choice.fileName);
  if (!choice.filter.isEmpty())
    dialog->setNameFilters(FileDialogFilters(choice.filter));
  dialog->setDefaultSuffix(choice.defaultExt);
  if (RunDialog(dialog.get()) != QDialog::Accepted || !dialog.get())
    return {};
  const QStringList files = dialog->selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

} // namespace

QWidget *PromptParent() {
  if (QWidget *modal = QApplication::activeModalWidget())
    return modal;
  QWidget *active = QApplication::activeWindow();
  return active && active->isVisible() ? active : nullptr;
}

int RunDialog(QDialog *dialog) {
  QPointer<QDialog> guard(dialog);
  // QDialog::exec() would make a parentless dialog application-modal and block every sticker.
  dialog->setWindowModality(dialog->parentWidget() ? Qt::WindowModal : Qt::NonModal);
  // Kept above other windows while it is shown: a sticker kept on top, one that fires meanwhile
  // among them, must never cover the question the user is to answer.
  const bool keptAbove = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  if (!keptAbove)
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // A dialog shown again opens where it was last: Qt centres it afresh on every showing, and under
  // a window manager it came down by a title bar's height the second time.
  if (const QVariant last = dialog->property(LastPlaceProperty); last.isValid())
    MoveInsideTo(dialog, last.toPoint());
  QEventLoop loop;
  QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  loop.exec(QEventLoop::DialogExec);
  if (!guard)
    return int(QDialog::Rejected);
  // The place is the inside's, as the window system last told it: the frame's corner is known
  // only once the window manager's events were handled, which a busy machine or a dialog closed
  // at once had not done yet. A place taken before then brought the dialog back a title bar
  // lower, or in the corner of the screen.
  QGuiApplication::sync();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (!guard)
    return int(QDialog::Rejected);
  guard->setProperty(LastPlaceProperty, guard->geometry().topLeft());
  if (!keptAbove)
    guard->setWindowFlag(Qt::WindowStaysOnTopHint, false);
  // The keys go back to the window the dialog was opened over: the window manager may hand them
  // to a sticker that came up meanwhile, and Escape in the editor then went nowhere.
  if (QWidget *parent = guard->parentWidget(); parent && parent->window()->isVisible())
    parent->window()->activateWindow();
  return guard->result();
}

QStringList FileDialogFilters(const QString &filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // Qt reads the patterns from the last parentheses of the text, so the written ones go.
    if (const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        open > 0 && description.endsWith(QLatin1Char(')')))
      description = description.left(open).trimmed();
    QStringList patterns;
    for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString pattern = p.trimmed();
      for (const QString &variant : {pattern, pattern.toLower(), pattern.toUpper()})
        if (!variant.isEmpty() && !patterns.contains(variant))
          patterns << variant;
    }
    if (!patterns.isEmpty())
      result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return result;
}

bool TQtPrompts::askYesNo(const QString &text) {
  return message(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

UiPrompts::Answer TQtPrompts::askYesNoCancel(const QString &text) {
  switch (message(QMessageBox::Question, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
  case QMessageBox::Yes:
    return Answer::Yes;
  case QMessageBox::No:
    return Answer::No;
  default:
    return Answer::Cancel;
  }
}

void TQtPrompts::notice(const QString &text) {
  (void)message(QMessageBox::Information, text, QMessageBox::Ok);
}

QWidget *TQtPrompts::openNotice(const QString &text, const std::function<void()> &closed) {
  auto *box = new QMessageBox(QMessageBox::Information, Title, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // Told once, whether the user closed the box or it was deleted with the program.
  auto once = std::make_shared<std::function<void()>>(closed);
  auto tell = [once] {
    if (const std::function<void()> f = std::exchange(*once, nullptr))
      f();
  };
  QObject::connect(box, &QDialog::finished, box, tell);
  QObject::connect(box, &QObject::destroyed, tell);
  box->show();
  box->raise();
  return box;
}

void TQtPrompts::error(const QString &text, const QString &reason) {
  (void)message(QMessageBox::Critical, text, QMessageBox::Ok, reason);
}

QString TQtPrompts::openFile(const TFileChoice &choice) {
  auto *dialog = new QFileDialog(PromptParent());
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  return runFileDialog(dialog, choice);
}

QString TQtPrompts::saveFile(const TFileChoice &choice) {
  auto *dialog = new QFileDialog(PromptParent());
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !choice.confirmOverwrite);
  return runFileDialog(dialog, choice);
}

QString TQtPrompts::chooseFolder(const QString &title, const QString &folder) {
  auto *dialog = new QFileDialog(PromptParent());
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  TFileChoice choice;
  choice.title = title;
  choice.folder = folder;
  return runFileDialog(dialog, choice);
}

std::optional<TColor> TQtPrompts::chooseColor(TColor initial) {
  OwnedDialog<QColorDialog> dialog(
      new QColorDialog(QColor::fromRgb(ColorToQRgb(initial)), PromptParent()));
  dialog->setOption(QColorDialog::DontUseNativeDialog);
  if (RunDialog(dialog.get()) != QDialog::Accepted || !dialog.get())
    return std::nullopt;
  return QRgbToColor(dialog->selectedColor().rgb());
}

std::optional<TFontChoice> TQtPrompts::chooseFont(const TFontChoice &initial) {
  // Qt's font dialog has no colour, which the program keeps with each font: it is embedded in a
  // dialog of ours together with a colour row.
  OwnedDialog<QDialog> dialog(new QDialog(PromptParent()));
  dialog->setWindowTitle(TranslateText(QStringLiteral("Font")));
  auto *fonts = new QFontDialog(initial.font, dialog.get());
  fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  fonts->setWindowFlags(Qt::Widget);
  auto *swatch = new ColorShape(dialog.get());
  swatch->setColor(initial.color);
  swatch->setFixedSize(48, 20);
  auto *pick = new QPushButton(TranslateText(QStringLiteral("Color...")), dialog.get());
  auto pickColor = [this, swatch] {
    if (const auto color = chooseColor(swatch->color()))
      swatch->setColor(*color);
  };
  QObject::connect(pick, &QPushButton::clicked, swatch, pickColor);
  QObject::connect(swatch, &ColorShape::clicked, swatch, pickColor);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
  auto *colorRow = new QHBoxLayout;
  colorRow->addWidget(new QLabel(TranslateText(QStringLiteral("Color:")), dialog.get()));
  colorRow->addWidget(swatch);
  colorRow->addWidget(pick);
  colorRow->addStretch();
  auto *layout = new QVBoxLayout(dialog.get());
  layout->addWidget(fonts);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);
  if (RunDialog(dialog.get()) != QDialog::Accepted || !dialog.get())
    return std::nullopt;
  return TFontChoice{fonts->currentFont(), swatch->color()};
}
