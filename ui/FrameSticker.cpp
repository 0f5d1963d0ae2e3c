#include "ui/FrameSticker.h"
#include "ui_FrameSticker.h"

#include "imaging/GIFImage.h"
#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "runtime/FormSticker.h"
#include "runtime/StickerFont.h"
#include "runtime/StickerView.h"
#include "ui/ActionButton.h"
#include "ui/FormEditReminder.h"
#include "ui/HubForm.h"
#include "ui/PlaceBeside.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>

#include <algorithm>

namespace keys = settings_keys;

namespace {

QString dataFolder(const TModel &model) { return QFileInfo(GetDataFileName(model)).absolutePath(); }

QString actionTitle(const QAction *action) { return action->text().remove(QLatin1Char('&')); }

} // namespace

TFrameSticker::TFrameSticker(TModel &model, IUserInterface &userInterface, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameSticker>()), m_model(model),
      m_ui(userInterface) {
  ui->setupUi(this);
  ui->ImagePicture->setCenter(true);
  ui->ImagePicture->setShrinkToFit(true);
  ui->GIFAnimator->setCenter(true);
  ui->GIFAnimator->setAutoSize(false);
  connectControls();
}

// The preview goes first, without a close: it stores its place nowhere once the editor is gone.
TFrameSticker::~TFrameSticker() {
  m_preview.reset();
  ui->GIFAnimator->setAnimate(false);
}

TImage &TFrameSticker::ImagePicture() const { return *ui->ImagePicture; }
TGIFAnimator &TFrameSticker::GIFAnimator() const { return *ui->GIFAnimator; }

void TFrameSticker::connectControls() {
  const std::pair<QAbstractButton *, QAction *> bindings[] = {
      {ui->ButtonFontSubject, ui->FontSubject},
      {ui->ButtonFontText, ui->FontText},
      {ui->ButtonFontDate, ui->FontDate},
      {ui->ButtonFontTime, ui->FontTime},
      {ui->ButtonBackgroundColor, ui->ColorSelectBackground},
      {ui->ButtonFrameColor, ui->ColorSelectFrame},
      {ui->ButtonOpenPicture, ui->OpenPicture},
      {ui->ButtonPictureSaveAs, ui->PictureSaveAs},
      {ui->ButtonClearPicture, ui->ActionClearPicture},
      {ui->ButtonOpenMovingPicture, ui->OpenMovingPicture},
      {ui->ButtonMovingPictureSaveAs, ui->MovingPictureSaveAs},
      {ui->ButtonClearMovingPicture, ui->ActionClearMovingPicture}};
  for (const auto &[button, action] : bindings)
    BindButtonToAction(button, action);
  for (QPushButton *button : findChildren<QPushButton *>())
    button->setAutoDefault(false);

  const std::pair<QAction *, FontElement> fonts[] = {
      {ui->FontSubject, Subject}, {ui->FontText, Text}, {ui->FontDate, Date}, {ui->FontTime, Time}};
  for (const auto &[action, element] : fonts)
    connect(action, &QAction::triggered, this, [this, e = element] { chooseFont(e); });
  connect(ui->ColorSelectBackground, &QAction::triggered, this, [this] { chooseColor(false); });
  connect(ui->ColorSelectFrame, &QAction::triggered, this, [this] { chooseColor(true); });
  connect(ui->ShapeBackgroundColor, &ColorShape::clicked, ui->ColorSelectBackground,
          &QAction::trigger);
  connect(ui->ShapeFrameColor, &ColorShape::clicked, ui->ColorSelectFrame, &QAction::trigger);
  connect(ui->OpenPicture, &QAction::triggered, this, [this] { openPictureExecute(); });
  connect(ui->PictureSaveAs, &QAction::triggered, this,
          Reported([this] { pictureSaveAsExecute(); }));
  connect(ui->ActionClearPicture, &QAction::triggered, this, [this] { ClearPicture(); });
  connect(ui->OpenMovingPicture, &QAction::triggered, this, [this] { openMovingPictureExecute(); });
  connect(ui->MovingPictureSaveAs, &QAction::triggered, this,
          Reported([this] { movingPictureSaveAsExecute(); }));
  connect(ui->ActionClearMovingPicture, &QAction::triggered, this,
          [this] { ClearMovingPicture(); });
  connect(ui->ButtonMoveToCenter, &QPushButton::clicked, this, [this] { MoveToCenter(); });

  const auto refresh = [this] { UpdatePreview(); };
  for (QCheckBox *box : {ui->CheckBoxOnTop, ui->CheckBoxSubject, ui->CheckBoxSubjectAsHint,
                         ui->CheckBoxText, ui->CheckBoxTextAsHint, ui->CheckBoxDate,
                         ui->CheckBoxTime, ui->CheckBoxBackgroundTransparent, ui->CheckBoxFrame,
                         ui->CheckBoxImage, ui->CheckBoxImageTransparent, ui->CheckBoxMovingImage})
    connect(box, &QCheckBox::toggled, this, refresh);
  connect(ui->CheckBoxMovingImageTransparent, &QCheckBox::toggled, this, [this](bool on) {
    UpdatePreview();
    ui->GIFAnimator->setTransparent(on);
  });
  for (QComboBox *list : {ui->ComboBoxSubjectAlignment, ui->ComboBoxTextAlignment})
    connect(list, &QComboBox::currentIndexChanged, this, refresh);
  connect(ui->TrackBarTransparent, &QSlider::valueChanged, this, refresh);
}

// --- Settings --------------------------------------------------------------------------------

void TFrameSticker::LoadOptions() {
  const QString section = keys::FrameSticker;
  m_currentPictureDir =
      m_model.MainSettings().readString(section, keys::CurrentPictureDir, dataFolder(m_model));
  m_currentMovingPictureDir = m_model.MainSettings().readString(
      section, keys::CurrentMovingPictureDir, dataFolder(m_model));
}

void TFrameSticker::SaveOptions() {
  const QString section = keys::FrameSticker;
  m_model.MainSettings().writeString(section, keys::CurrentPictureDir, m_currentPictureDir);
  m_model.MainSettings().writeString(section, keys::CurrentMovingPictureDir,
                                     m_currentMovingPictureDir);
}

// --- Loading and saving ----------------------------------------------------------------------

void TFrameSticker::LoadFromReminder(const QString &id) {
  m_id = id;
  {
    TDataObject *reminder =
        id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(id);
    if (!reminder)
      return;
    ui->LabelId->setText(reminder->Id);
    fillControls(reminder->sticker);
    // A picture that cannot be read comes back as none.
    TStickerImages images = LoadStickerImages(m_model, *reminder);
    ui->ImagePicture->picture().takeGraphic(std::move(images.image));
    ui->GIFAnimator->setImage(dynamic_cast<const TGIFImage *>(images.movingImage.get()));
    ui->GIFAnimator->setTransparent(reminder->sticker.movingImage.transparent);
  }
  ui->ImagePicture->setVisible(!ui->ImagePicture->picture().empty());
  ui->GIFAnimator->setVisible(!ui->GIFAnimator->image().empty());
  ui->GIFAnimator->setAnimate(!ui->GIFAnimator->image().empty());
  UpdatePreview();
}

void TFrameSticker::fillControls(const TStickerRec &s) {
  m_filling = true;
  const auto filled = qScopeGuard([this] { m_filling = false; });
  ui->CheckBoxOnTop->setChecked(s.onTop);
  // The bar shows the opacity; the record keeps the transparency, which the sticker reads within
  // 0..100 whatever a file holds.
  ui->TrackBarTransparent->setValue(100 - std::clamp(s.opacity, 0, 100));
  ui->CheckBoxSubject->setChecked(s.subject.enable);
  SelectListCode(*ui->ComboBoxSubjectAlignment, int(s.subject.alignment));
  ui->CheckBoxSubjectAsHint->setChecked(s.subjectAsHintEnable);
  ui->CheckBoxText->setChecked(s.text.enable);
  SelectListCode(*ui->ComboBoxTextAlignment, int(s.text.alignment));
  ui->CheckBoxTextAsHint->setChecked(s.textAsHintEnable);
  ui->CheckBoxDate->setChecked(s.date.enable);
  ui->CheckBoxTime->setChecked(s.time.enable);
  // Through the font the sticker draws with, so an oversized stored size comes back clamped.
  const TStickerTextRec *texts[] = {&s.subject, &s.text, &s.date, &s.time};
  for (size_t i = 0; i < m_fonts.size(); ++i)
    m_fonts[i] = FontToRec(FontFromRec(texts[i]->font), texts[i]->font);
  ui->ShapeBackgroundColor->setColor(TColor(s.background.color));
  ui->CheckBoxBackgroundTransparent->setChecked(s.background.transparent);
  ui->ShapeFrameColor->setColor(TColor(s.frame.color));
  ui->CheckBoxFrame->setChecked(s.frame.style == TStickerFrameStyle::Solid);
  ui->CheckBoxImage->setChecked(s.image.enable);
  ui->CheckBoxImageTransparent->setChecked(s.image.transparent);
  ui->CheckBoxMovingImage->setChecked(s.movingImage.enable);
  ui->CheckBoxMovingImageTransparent->setChecked(s.movingImage.transparent);
}

void TFrameSticker::SaveToReminder(TDataObject &reminder) {
  TStickerRec &s = reminder.sticker;
  s.onTop = true;
  s.opacity = 100 - ui->TrackBarTransparent->value();
  s.text.enable = ui->CheckBoxText->isChecked();
  s.text.alignment = TStickerTextAlignment(ui->ComboBoxTextAlignment->currentIndex());
  s.textAsHintEnable = ui->CheckBoxTextAsHint->isChecked();
  s.subject.enable = ui->CheckBoxSubject->isChecked();
  s.subject.alignment = TStickerTextAlignment(ui->ComboBoxSubjectAlignment->currentIndex());
  s.subjectAsHintEnable = ui->CheckBoxSubjectAsHint->isChecked();
  s.time.enable = ui->CheckBoxTime->isChecked();
  s.date.enable = ui->CheckBoxDate->isChecked();
  s.text.font = m_fonts[Text];
  s.subject.font = m_fonts[Subject];
  s.time.font = m_fonts[Time];
  s.date.font = m_fonts[Date];
  s.background.color = int32_t(ui->ShapeBackgroundColor->color());
  s.background.transparent = ui->CheckBoxBackgroundTransparent->isChecked();
  s.frame.color = int32_t(ui->ShapeFrameColor->color());
  s.frame.style =
      ui->CheckBoxFrame->isChecked() ? TStickerFrameStyle::Solid : TStickerFrameStyle::None;
  s.image.enable = ui->CheckBoxImage->isChecked();
  s.image.transparent = ui->CheckBoxImageTransparent->isChecked();
  s.movingImage.enable = ui->CheckBoxMovingImage->isChecked();
  s.movingImage.transparent = ui->CheckBoxMovingImageTransparent->isChecked();
  // Where the user left the preview is where the sticker appears.
  if (m_model.PreviewReminder() != &reminder)
    if (const TFormSticker *window = PreviewWindow())
      window->StorePosition(reminder);
}

void TFrameSticker::SavePictures(const TDataObject &reminder) {
  SaveStickerImages(m_model, reminder, &ui->GIFAnimator->image(),
                    ui->ImagePicture->picture().graphic());
}

// --- Preview ---------------------------------------------------------------------------------

TFormSticker *TFrameSticker::PreviewWindow() const {
  return m_preview ? m_preview->window() : nullptr;
}

void TFrameSticker::UpdatePreview() {
  TDataObject *preview = m_model.PreviewReminder();
  if (m_filling || !preview)
    return;
  SaveToReminder(*preview);
  preview->Id = m_id;
  TFormSticker *window = PreviewWindow();
  const bool appearing = !window || window->isHidden();
  if (!window && preview->sticker.enable) {
    m_preview = std::make_unique<TStickerView>(m_model, m_ui);
    window = m_preview->window();
    window->SetPreview(true);
  } else if (window) {
    window->StorePosition(*preview);
  }
  TFormEditReminder *editor = TFormEditReminder::Current();
  if (preview->sticker.enable) {
    // The date and time labels show now.
    TFiringState shown;
    shown.fireTime = currentClock().now();
    window->ShowReminder(
        editor ? editor->Hub().handle() : WindowHandle(),
        [&model = m_model] { return model.PreviewReminder(); }, shown,
        ui->ImagePicture->picture().graphic(), &ui->GIFAnimator->image());
    window->SetPreview(true);
    if (appearing && editor)
      moveBesideEditor(*window, *editor);
  } else if (std::unique_ptr<TStickerView> closing = std::move(m_preview)) {
    closing->close(); // keeps its place in the preview copy for the next preview
  }
  if (editor) {
    if (editor->isVisible())
      editor->activateWindow();
    editor->SetModified();
  }
}

// The preview came up in the middle of the screen, where the editor is too: over its "As mail
// message" and "As program or file call", and over the No of its "Save?" question. It appears
// beside the editor where there is room; saved, the sticker appears where the preview is.
void TFrameSticker::moveBesideEditor(TFormSticker &window, const QWidget &editor) {
  const QScreen *screen = editor.screen();
  if (!editor.isVisible() || !screen)
    return;
  const QRect editorFrame = editor.frameGeometry();
  if (!window.frameGeometry().intersects(editorFrame))
    return;
  constexpr int Gap = 8;
  if (const std::optional<QPoint> at =
          PlaceBeside(editorFrame, window.frameGeometry().size(), screen->availableGeometry(), Gap))
    window.MoveTo(at->x(), at->y());
}

void TFrameSticker::MoveToCenter() {
  TFormSticker *window = PreviewWindow();
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!window || !screen)
    return;
  const TPositionRec &p = m_model.PreviewReminder()->sticker.position;
  const QRect desktop = screen->virtualGeometry();
  window->MoveTo(desktop.left() + (desktop.width() - p.width) / 2,
                 desktop.top() + (desktop.height() - p.height) / 2);
  if (TFormEditReminder *editor = TFormEditReminder::Current())
    editor->SetModified();
}

// --- Fonts and colours -----------------------------------------------------------------------

void TFrameSticker::chooseFont(FontElement element) {
  TFontRec &rec = m_fonts[size_t(element)];
  const std::optional<TFontChoice> chosen =
      uiPrompts().chooseFont({FontFromRec(rec), TColor(rec.color)});
  if (chosen) {
    rec = FontToRec(chosen->font, rec);
    rec.color = int32_t(chosen->color);
  }
  UpdatePreview();
}

void TFrameSticker::chooseColor(bool frame) {
  ColorShape *shape = frame ? ui->ShapeFrameColor : ui->ShapeBackgroundColor;
  if (const std::optional<TColor> color = uiPrompts().chooseColor(shape->color())) {
    shape->setColor(*color);
    UpdatePreview();
  }
}

// --- Pictures --------------------------------------------------------------------------------

// Every format the picture layer reads, all of them first.
QString TFrameSticker::pictureFilter() const {
  QStringList pairs;
  QStringList all;
  static const QRegularExpression pattern(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  for (const QString &entry : TPicture::fileFilter().split(QStringLiteral(";;"))) {
    const QRegularExpressionMatch m = pattern.match(entry);
    if (!m.hasMatch())
      continue;
    const QString patterns = m.captured(1).simplified().replace(u' ', u';');
    all << patterns;
    pairs << entry << patterns;
  }
  const QString allPatterns = all.join(u';');
  pairs.prepend(allPatterns);
  pairs.prepend(TranslateText(QStringLiteral("All pictures")) + QStringLiteral(" (") + allPatterns +
                u')');
  return pairs.join(u'|');
}

void TFrameSticker::openPictureExecute() {
  TFileChoice choice;
  choice.title = actionTitle(ui->OpenPicture);
  choice.folder = m_currentPictureDir;
  choice.filter = pictureFilter();
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  m_currentPictureDir = QFileInfo(file).absolutePath();
  LoadPicture(file);
}

void TFrameSticker::LoadPicture(const QString &fileName) {
  if (!QFileInfo::exists(fileName))
    return;
  // Read into a picture of its own first: a file that fails leaves the shown one as it was.
  TPicture loaded;
  if (!RunReported([&] { loaded.loadFromFile(fileName); }))
    return;
  ui->ImagePicture->picture().setGraphic(loaded.graphic());
  ui->ImagePicture->show();
  ui->CheckBoxImage->setChecked(true);
  UpdatePreview();
}

void TFrameSticker::pictureSaveAsExecute() {
  if (ui->ImagePicture->picture().empty())
    return;
  TFileChoice choice;
  choice.title = actionTitle(ui->PictureSaveAs);
  choice.folder = m_currentPictureDir;
  choice.filter = pictureFilter();
  const QString file = uiPrompts().saveFile(choice);
  if (file.isEmpty())
    return;
  m_currentPictureDir = QFileInfo(file).absolutePath();
  // The picture's own format with its own bytes, whatever the name's extension says.
  ui->ImagePicture->picture().saveToFile(file);
}

void TFrameSticker::ClearPicture() {
  ui->ImagePicture->hide();
  ui->ImagePicture->picture().setGraphic(nullptr);
  ui->CheckBoxImage->setChecked(false);
  UpdatePreview();
}

void TFrameSticker::openMovingPictureExecute() {
  TFileChoice choice;
  choice.title = actionTitle(ui->OpenMovingPicture);
  choice.folder = m_currentMovingPictureDir;
  choice.filter = QStringLiteral("CompuServe GIF Image (*.gif)|*.gif");
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  m_currentMovingPictureDir = QFileInfo(file).absolutePath();
  LoadMovingPicture(file);
}

void TFrameSticker::LoadMovingPicture(const QString &fileName) {
  if (!QFileInfo::exists(fileName))
    return;
  TGIFImage loaded;
  if (!RunReported([&] { loaded.loadFromFile(fileName); }))
    return;
  ui->GIFAnimator->setImage(&loaded);
  ui->GIFAnimator->setAnimate(true);
  ui->GIFAnimator->show();
  ui->CheckBoxMovingImage->setChecked(true);
  UpdatePreview();
}

void TFrameSticker::movingPictureSaveAsExecute() {
  if (ui->GIFAnimator->image().empty())
    return;
  TFileChoice choice;
  choice.title = actionTitle(ui->MovingPictureSaveAs);
  choice.folder = m_currentMovingPictureDir;
  choice.filter = QStringLiteral("CompuServe GIF Image (*.gif)|*.gif");
  choice.defaultExt = QStringLiteral("gif");
  const QString file = uiPrompts().saveFile(choice);
  if (file.isEmpty())
    return;
  m_currentMovingPictureDir = QFileInfo(file).absolutePath();
  ui->GIFAnimator->image().saveToFile(file);
}

void TFrameSticker::ClearMovingPicture() {
  ui->GIFAnimator->setAnimate(false);
  ui->GIFAnimator->setImage(nullptr);
  ui->CheckBoxMovingImage->setChecked(false);
  UpdatePreview();
}
