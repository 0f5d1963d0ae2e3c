#include "ui/MailAddressCheck.h"

#include "model/LanguageTable.h"
#include "services/MailAddress.h"

QString AddressFieldProblem(const QString &caption, const QString &text, bool single) {
  QString list = text.trimmed();
  if (!single)
    list.replace(u';', u',');
  const TAddressList parsed = ParseAddressList(list, single);
  if (parsed.ok())
    return {};
  return caption.trimmed() + QStringLiteral(": \"") + parsed.badEntry + QStringLiteral("\" ") +
         TranslateText(QStringLiteral("is no mail address.")) + u' ' + TranslateText(parsed.reason);
}
