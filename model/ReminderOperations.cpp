#include "model/ReminderOperations.h"

#include "model/ReminderList.h"
#include "model/XMLStore.h"

namespace {

IRepeatableSound *repeatable(const TDataObject &reminder) {
  return dynamic_cast<IRepeatableSound *>(reminder.SoundPlayer.get());
}

} // namespace

void HandleSoundNotify(quint16 deviceId, bool success, WindowHandle notifyWindow) {
  TReminderList &list = Reminders();
  for (int i = 0; i < list.Count(); ++i) {
    TDataObject *reminder = list.At(i);
    IRepeatableSound *sound = repeatable(*reminder);
    if (!sound || sound->DeviceId() != deviceId)
      continue;
    if (!success) {
      reminder->StopSound();
    } else if (reminder->sound.repeat) {
      sound->Rewind();
      sound->Play(notifyWindow);
    }
    return;
  }
}

void SaveStickerPosition(const TDataObject &reminder) {
  TXMLStore &store = Store();
  if (!store.SelectItem(reminder.Id))
    return;
  const TPositionRec &p = reminder.sticker.position;
  store.WriteInteger(QStringLiteral("sticker/position/left"), p.left);
  store.WriteInteger(QStringLiteral("sticker/position/top"), p.top);
  store.WriteInteger(QStringLiteral("sticker/position/width"), p.width);
  store.WriteInteger(QStringLiteral("sticker/position/height"), p.height);
  store.WriteBool(QStringLiteral("sticker/position/autoSize"), p.autoSize);
  store.Flush();
}
