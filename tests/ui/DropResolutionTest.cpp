#include "services/UrlText.h"
#include "tests/support/Sandbox.h"
#include "widgets/DropTarget.h"

#include <QCoreApplication>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Counts the notices a drop posts.
class Receiver : public QObject {
public:
  const WindowHandle handle = hub().registerWindow(this);
  int posted = 0;
  bool event(QEvent *e) override {
    if (HubEvent *h = HubEvent::cast(e); h && h->message() == msg::WM_DROP_TEXT)
      ++posted;
    return true;
  }
};

QString write(const QString &path, const QByteArray &content, qint64 size = -1) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
  if (size > 0) {
    EXPECT_TRUE(f.resize(size)); // sparse: cheap to make, costly to read
  }
  return path;
}

QUrl file(const QString &path) { return QUrl::fromLocalFile(path); }

} // namespace

// From what a drag offers to what the program box shows, with the notice posted only for a text.
TEST(DropTarget, ResolvesWhatADropGivesTheProgramBox) {
  const QString dir = sandbox::makeTempDir("drop");
  const QString url = write(dir + "/site.url", "[InternetShortcut]\r\nurl=https://x.org/a\r\n");
  const QString desk = write(dir + "/s.desktop", "[Desktop Entry]\nType=Link\nURL=https://d.org\n");
  const QString plain = write(dir + "/notes.txt", "URL=https://not-a-link.org\n");
  const QString big = write(dir + "/big.url", "URL=https://big.org\n", 100 * 1024 * 1024);
  struct Row {
    const char *what;
    QList<QUrl> urls;
    QString text;
    std::optional<QString> box;
  };
  const Row rows[] = {
      {"internet shortcut", {file(url)}, {}, "https://x.org/a"},
      {"desktop link", {file(desk)}, {}, "https://d.org"},
      {"plain file is not read", {file(plain)}, {}, plain},
      {"100 MB link file is not read", {file(big)}, {}, big},
      {"web address text", {}, "  www.x.org ", "www.x.org"},
      {"blank text", {}, "   ", std::nullopt},
      {"text naming nothing", {}, dir + "/missing", std::nullopt},
      {"two files", {file(plain), file(url)}, {}, std::nullopt},
      {"one file with its URI as text", {file(plain)}, file(plain).toString() + "\r\n", plain},
      {"browser link", {QUrl("https://b.org/p")}, "https://b.org/p", "https://b.org/p"},
      {"two files and a real text", {file(plain), file(url)}, "www.t.org", "www.t.org"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.what);
    Receiver receiver;
    TIDropTarget target;
    target.Init(receiver.handle, msg::WM_DROP_TEXT);
    QMimeData data;
    if (!row.urls.isEmpty())
      data.setUrls(row.urls);
    if (!row.text.isNull())
      data.setText(row.text);
    EXPECT_EQ(target.Drop(&data), row.urls.size() < 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.posted, target.Text().isEmpty() ? 0 : 1);
    const std::optional<QString> box =
        receiver.posted ? ResolveDroppedText(target.Text()) : std::nullopt;
    EXPECT_EQ(box, row.box);
  }
  EXPECT_FALSE(TIDropTarget().Drop(nullptr));
}
