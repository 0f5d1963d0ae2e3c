#pragma once

#include <QString>

// The user's login name, upper-cased (locale-aware) and trimmed: the form used in the instance lock
// name and in the store. Empty when it cannot be found.
[[nodiscard]] QString GetLoginUserName();

// The login name as the system spells it, for looking the account up (account names are
// case-sensitive on Linux).
[[nodiscard]] QString GetRawLoginUserName();

// The login-name normalisation of GetLoginUserName.
[[nodiscard]] QString NormaliseLoginName(const QString &name);

// The account's full name (the first field of its GECOS entry, which may be empty). Empty for an
// empty user name; the user name itself when the account cannot be looked up or a server is named
// (only the local machine is asked). A name in the wrong case is also tried in lower case, since
// callers may pass the upper-cased login name.
[[nodiscard]] QString GetUserFullName(const QString &server, const QString &user);
