#include "model/ReminderOperations.h"

#include "model/ReminderList.h"

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
