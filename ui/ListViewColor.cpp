#include "ui/ListViewColor.h"

#include "model/SettingsKeys.h"
#include "platform/MemIniFile.h"

TColor StoredListViewColor(const TMMemIniFile &localSettings) {
  namespace keys = settings_keys;
  return TryStringToColor(localSettings.readString(keys::FrameReminder, keys::ListViewColor,
                                                   keys::DefaultListViewColor))
      .value_or(clInfoBk);
}
