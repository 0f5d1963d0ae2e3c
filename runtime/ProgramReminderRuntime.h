#pragma once

#include "runtime/ReminderPorts.h"
#include "runtime/ReminderRuntime.h"

#include <QPointer>

#include <memory>

class TFormMaster;

// The live outputs of a firing reminder as the running program makes them: the sticker window
// and the reminder's own tray icon, both with the master window's popup menu of a firing
// reminder, and the sound through the program's sound player.
class TMasterReminderOutputs final : public IReminderOutputFactory {
public:
  explicit TMasterReminderOutputs(TFormMaster &master);

  [[nodiscard]] std::unique_ptr<IStickerView> CreateSticker(TDataObject &reminder) override;
  [[nodiscard]] std::unique_ptr<ITrayIconView> CreateTrayIcon(TDataObject &reminder) override;
  [[nodiscard]] std::unique_ptr<IReminderSound> CreateSoundPlayer() override;
  void RaiseSticker(IStickerView &sticker) override;

private:
  QPointer<TFormMaster> m_master;
};

// The program's reminder runtime for the master window: the scheduler over the model's reminder
// list and store, with the outputs above and the windows of the layer above from UiHooks().
[[nodiscard]] std::unique_ptr<IReminderRuntime> MakeReminderRuntime(TFormMaster &master);
