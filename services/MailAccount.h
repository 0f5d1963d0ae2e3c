#pragma once

#include <QString>

#include <optional>

// The user's default mail account. Linux has no system-wide one; the user's msmtp configuration
// (~/.msmtprc, else $XDG_CONFIG_HOME/msmtp/config) names it when the user has one.
struct TMailAccount {
  QString host;
  QString from;
  QString displayName; // msmtp keeps none; always empty from there
  QString user;
  int port = 25;
};

// The account called "default" in an msmtp configuration text, with the settings of the
// "defaults" sections before it and of the accounts it inherits from ("account default : a, b").
// None when there is no such account.
[[nodiscard]] std::optional<TMailAccount> ReadMsmtpDefaultAccount(const QString &configText);

// The msmtp configuration file that msmtp itself would read, or "" when there is none.
[[nodiscard]] QString MsmtpConfigFileName();

// The default account from the user's msmtp configuration, or none.
[[nodiscard]] std::optional<TMailAccount> FindDefaultMailAccount();

// Sets host, from address and display name from the default account and gives true; gives false
// and leaves the outputs as they were when there is none.
bool GetDefaultMailAccount(QString &host, QString &from, QString &displayName);
