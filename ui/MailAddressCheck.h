#pragma once

#include <QString>

// What the user hears about an address field that the mail could not go to: the field's caption,
// the first entry that is no mail address and why (the fixed words translated), e.g.
//   To: "<evil>@x" is no mail address. Text follows the closing ">".
// "" when every entry is an address (an empty field included). To, CC and BCC are checked as they
// are saved, with ";" taken as ","; a field marked single (From) takes one address at most.
[[nodiscard]] QString AddressFieldProblem(const QString &caption, const QString &text,
                                          bool single = false);
