#include "ui/ListViewColor.h"

#include "model/Settings.h"
#include "model/SettingsKeys.h"

TColor StoredListViewColor() {
  namespace keys = settings_keys;
  return TryStringToColor(LocalSettings().readString(keys::FrameReminder, keys::ListViewColor,
                                                     keys::DefaultListViewColor))
      .value_or(clInfoBk);
}
