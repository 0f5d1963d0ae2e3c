#pragma once

#include <QStringList>

// "Send selected by mail": the reminders with these ids go out in one mail, as an attached
// reminder file that the receiver adds with "Add from file". The user writes the mail in the
// compose dialog (TFormSendMail); it goes through the program's mail sender with the account of
// the mail settings.
//
// The attachment is written into a folder of its own that only this user may enter, and that
// folder is removed when the send is over, whatever happened. Every outcome is told: nothing
// selected, mail settings still empty or placeholders, "Done!", or the error with the server's
// own reason. Cancel in the compose dialog, or a compose dialog open already, ends it silently.
void SendSelectedByMail(const QStringList &ids);
