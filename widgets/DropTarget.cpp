#include "widgets/DropTarget.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace {

// Whether every line of the text names one of the dropped URLs, as a URL or as a local path.
bool onlyRepeatsUrls(const QString &text, const QList<QUrl> &urls) {
  bool any = false;
  for (QStringView line : QStringView(text).split(u'\n')) {
    const QString item = line.trimmed().toString();
    if (item.isEmpty())
      continue;
    const QUrl asUrl(item);
    const bool listed = std::any_of(urls.begin(), urls.end(), [&](const QUrl &url) {
      return url == asUrl || (url.isLocalFile() && url.toLocalFile() == item);
    });
    if (!listed)
      return false;
    any = true;
  }
  return any;
}

} // namespace

TIDropTarget::TIDropTarget(QObject *parent) : QObject(parent) {}

void TIDropTarget::Init(WindowHandle target, uint message) {
  m_target = target;
  m_message = message;
  m_text.clear();
}

void TIDropTarget::Attach(QWidget *widget) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

bool TIDropTarget::Drop(const QMimeData *data) {
  m_text.clear();
  if (!data)
    return false;
  bool ok = true;
  QList<QUrl> files;
  const QList<QUrl> urls = data->hasUrls() ? data->urls() : QList<QUrl>();
  for (const QUrl &url : urls)
    if (url.isLocalFile())
      files << url;
  if (files.size() == 1)
    m_text = files.first().toLocalFile();
  else if (!files.isEmpty())
    ok = false;
  // A text replaces the file name, unless it is just the file manager's rendering of the files.
  const QString text = data->hasText() ? data->text().trimmed() : QString();
  if (!text.isEmpty() && !(!files.isEmpty() && onlyRepeatsUrls(text, urls))) {
    m_text = text;
  } else if (text.isEmpty() && files.isEmpty() && urls.size() == 1) {
    m_text = urls.first().toString(); // a link dragged without its text
  }
  if (!m_text.trimmed().isEmpty())
    (void)hub().post(m_target, m_message);
  return ok;
}

bool TIDropTarget::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::DragEnter:
  case QEvent::DragMove: {
    auto *drag = static_cast<QDragMoveEvent *>(event);
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    return true;
  }
  case QEvent::DragLeave:
    return true;
  case QEvent::Drop: {
    auto *drop = static_cast<QDropEvent *>(event);
    (void)Drop(drop->mimeData());
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    return true;
  }
  default:
    return QObject::eventFilter(watched, event);
  }
}
