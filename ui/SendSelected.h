#pragma once

#include <QStringList>

#include <chrono>

class TModel;

// "Send selected by mail": the reminders of the model with these ids go out in one mail, as an
// attached reminder file that the receiver adds with "Add from file". The user writes the mail in
// the compose dialog (TFormSendMail); it goes through the program's mail sender with the account of
// the mail settings.
//
// The mail goes out in the background, one after another, as a firing's mail does; its outcome
// ("Done!", or the error with the server's own reason) is told when it arrives. The attachment is
// written into a folder of its own that only this user may enter, and that folder is removed when
// the send is over, whatever happened. Nothing selected, or mail settings still empty or
// placeholders, are told at once. Cancel in the compose dialog, or a compose dialog open already,
// ends it silently.
void SendSelectedByMail(TModel &model, const QStringList &ids);

// Waits up to `limit` for the mails under way to end and tells their outcomes. True when none is
// left.
bool WaitForSelectedMail(std::chrono::milliseconds limit);
