#pragma once

#include "model/CurrentModel.h"

#include <QLatin1String>
#include <QString>

// Who the user is and where the user's mail goes by default: set at model start-up, read by the
// log, the mail action and the options page.

// The current model's (model/Model.h).
// The user's full name, else the login name; written into every log line.
TOLVANE_CURRENT_MODEL [[nodiscard]] const QString &CurrentUserName();
TOLVANE_CURRENT_MODEL void SetCurrentUserName(const QString &name);

// Mail defaults: the defaults of `Mail`/`Host`, `Mail`/`DefaultFromAddress` and `Mail`/`Port`.
struct TDefaultUserData {
  QString host;
  QString fromAddress;
  QString displayName;
  int port = 25;
};

// Placeholders put into the mail defaults when the system has no mail account. They can never be
// a real server or sender: whoever sends mail skips a host or address equal to them.
inline constexpr QLatin1String PlaceholderMailHost("smtp.invalid");
inline constexpr QLatin1String PlaceholderMailFrom("user@invalid");

TOLVANE_CURRENT_MODEL [[nodiscard]] const TDefaultUserData &DefaultUserData();
TOLVANE_CURRENT_MODEL void SetDefaultUserData(const TDefaultUserData &data);
