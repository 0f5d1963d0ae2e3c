#include "services/UrlText.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The first non-empty "URL=" value of a small link file; empty when there is none or the file
// cannot be read.
QString linkFileUrl(const QFileInfo &info) {
  const QString suffix = info.suffix().toLower();
  if ((suffix != u"url" && suffix != u"desktop") || info.size() > kLinkFileLimit)
    return {};
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QString content = QString::fromUtf8(file.read(kLinkFileLimit));
  for (QStringView line : QStringView(content).split(u'\n')) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.left(eq).trimmed().compare(u"URL", Qt::CaseInsensitive) != 0)
      continue;
    // The first URL line decides, as a name=value list reads it.
    return line.mid(eq + 1).trimmed().toString();
  }
  return {};
}

} // namespace

bool IsUrlText(const QString &text) {
  const auto starts = [&text](QLatin1String s) { return text.startsWith(s, Qt::CaseInsensitive); };
  const auto ends = [&text](QLatin1String s) { return text.endsWith(s, Qt::CaseInsensitive); };
  return starts(QLatin1String("http")) || starts(QLatin1String("www")) ||
         ends(QLatin1String("htm")) || ends(QLatin1String("html")) ||
         (text.startsWith(u'*') && text.contains(u'.'));
}

std::optional<QString> ResolveDroppedText(const QString &text) {
  if (text.trimmed().isEmpty())
    return std::nullopt;
  if (IsUrlText(text))
    return text;
  const QFileInfo info(text);
  if (!info.isFile())
    return std::nullopt;
  const QString url = linkFileUrl(info);
  return url.isEmpty() ? text : url;
}
