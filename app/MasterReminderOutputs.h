#pragma once

#include "runtime/ReminderPorts.h"

#include <QPointer>

#include <memory>

class IUserInterface;
class TFormMaster;
class TModel;

// The live outputs of a firing reminder as the running program makes them: the sticker window
// and the reminder's own tray icon, both with the master window's popup menu of a firing
// reminder, and the sound through the program's sound player.
class TMasterReminderOutputs final : public IReminderOutputFactory {
public:
  // The stickers read their pictures from the model's store and write their place there. The model
  // and the user interface outlive the outputs; the master may go first.
  TMasterReminderOutputs(TModel &model, TFormMaster &master, IUserInterface &ui);

  [[nodiscard]] std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &reminder,
                                                            const TFiringState &firing) override;
  [[nodiscard]] std::unique_ptr<ITrayIconView> CreateTrayIcon(const TReminderLookup &reminder,
                                                              const TFiringState &firing) override;
  [[nodiscard]] std::unique_ptr<ISoundPlayer> CreateSoundPlayer() override;
  void RaiseSticker(IStickerView &sticker) override;

private:
  TModel &m_model;
  QPointer<TFormMaster> m_master;
  IUserInterface &m_ui;
};
