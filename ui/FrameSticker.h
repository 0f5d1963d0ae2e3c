#pragma once

#include "model/ReminderRecords.h"
#include "ui/EditorPage.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class IUserInterface;
class TFormSticker;
class TGIFAnimator;
class TImage;
class TStickerView;

namespace Ui {
class FrameSticker;
}
class TModel;

// The editor's Sticker tab: how the reminder's sticker looks (texts and their fonts, colours,
// frame, opacity, a still and a moving picture). Every change shows at once on the preview, a real
// sticker window of this page that shows the model's PreviewReminder(); the user drags it to where
// the sticker is to appear. The preview goes with the page (and so with the editor). It never
// writes to the store: only Ok takes its place into the reminder.
class TFrameSticker : public QWidget, public IEditorPage {
  Q_OBJECT
public:
  TFrameSticker(TModel &model, IUserInterface &ui, QWidget *parent = nullptr);
  ~TFrameSticker() override;

  [[nodiscard]] QWidget *Widget() override { return this; }
  [[nodiscard]] bool IsLanguageFrame() const override { return true; }
  void LoadOptions() override;
  void SaveOptions() override;
  void LoadFromReminder(const QString &id) override;
  // Writes the page into the reminder's sticker; for the reminder itself (not the preview) also
  // the place where the user left the preview.
  void SaveToReminder(TDataObject &reminder) override;
  void SavePictures(const TDataObject &reminder) override;
  void PreviewChanged() override { UpdatePreview(); }

  // Shows the page on the preview (creating or closing its window as the sticker switch says).
  void UpdatePreview();
  // The preview window, or null.
  [[nodiscard]] TFormSticker *PreviewWindow() const;

  // The picture actions after their file dialogs. A file that cannot be read is reported and the
  // picture shown before stays.
  void LoadPicture(const QString &fileName);
  void LoadMovingPicture(const QString &fileName);
  void ClearPicture();
  void ClearMovingPicture();
  void MoveToCenter();

  [[nodiscard]] TImage &ImagePicture() const;
  [[nodiscard]] TGIFAnimator &GIFAnimator() const;

private:
  enum FontElement { Subject, Text, Date, Time };

  void connectControls();
  void moveBesideEditor(TFormSticker &window, const QWidget &editor);
  void fillControls(const TStickerRec &s);
  void chooseFont(FontElement element);
  void chooseColor(bool frame);
  void openPictureExecute();
  void pictureSaveAsExecute();
  void openMovingPictureExecute();
  void movingPictureSaveAsExecute();
  [[nodiscard]] QString pictureFilter() const;

  std::unique_ptr<Ui::FrameSticker> ui;
  TModel &m_model;
  IUserInterface &m_ui;
  QString m_id;
  QString m_currentPictureDir;
  QString m_currentMovingPictureDir;
  // The fonts as stored, so what a QFont cannot hold (colour, character set, "Default") stays.
  std::array<TFontRec, 4> m_fonts;
  // Set while the controls are filled: their change handlers then leave the preview alone.
  bool m_filling = false;
  // The preview window while the sticker is switched on.
  std::unique_ptr<TStickerView> m_preview;
};
