// A language change re-lays a window out: captions longer than the English ones are shown whole
// and never run into their neighbours.
#include "platform/MemIniFile.h"
#include "runtime/HeadlessUserInterface.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestModel.h"
#include "ui/FormAbout.h"
#include "ui/FormEditReminAfter.h"
#include "ui/FormEditReminderDT.h"
#include "ui/FormEditReminderYear.h"
#include "ui/FrameLog.h"
#include "ui/FrameMail.h"
#include "ui/FrameShellExec.h"
#include "widgets/FormLanguageFile.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The window's captions written out, then read back half as long again.
void applyLongerCaptions(QWidget *window) {
  const QString file = sandbox::makeTempDir("longer") + QStringLiteral("/longer.lng");
  SaveFormLanguageFile(window, file);
  TMMemIniFile ini;
  ASSERT_TRUE(ini.loadFromFile(file));
  const QString section = window->objectName();
  for (const QString &line : ini.readSection(section)) {
    const QString key = line.section(u'=', 0, 0);
    const QString value = ini.readString(section, key, {}).trimmed();
    if (!value.isEmpty())
      ini.writeString(section, key, value + QStringLiteral(" ") + value.left(value.size() / 2 + 1));
  }
  ini.saveToFile(file);
  LoadFormLanguageFile(window, file);
}

QString captionOf(const QWidget *w) {
  if (const auto *label = qobject_cast<const QLabel *>(w))
    return label->text();
  if (const auto *button = qobject_cast<const QAbstractButton *>(w))
    return button->text();
  if (const auto *group = qobject_cast<const QGroupBox *>(w))
    return group->title();
  return {};
}

// Every shown, named caption fits its widget, and no two shown widgets side by side overlap.
void expectLaidOut(const QWidget &window) {
  for (const QWidget *w : window.findChildren<QWidget *>()) {
    if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith("qt_") ||
        qobject_cast<const QToolButton *>(w) || captionOf(w).isEmpty())
      continue;
    const bool wraps =
        qobject_cast<const QLabel *>(w) && static_cast<const QLabel *>(w)->wordWrap();
    if (!wraps) {
      EXPECT_GE(w->width(), w->minimumSizeHint().width())
          << w->objectName().toStdString() << " cut: " << captionOf(w).toStdString();
    }
    for (const QWidget *other :
         w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
      if (other != w && other->isVisible() && !other->objectName().startsWith("qt_") &&
          !other->isWindow()) {
        EXPECT_FALSE(w->geometry().intersects(other->geometry()))
            << w->objectName().toStdString() << " overlaps " << other->objectName().toStdString();
      }
    }
  }
}

struct Window {
  const char *name;
  std::function<std::unique_ptr<QWidget>(TModel &)> make;
};

} // namespace

class LanguageLayout : public ::testing::TestWithParam<Window> {};

TEST_P(LanguageLayout, LongerCaptionsAreShownWholeWithoutOverlapping) {
  TestModel model;
  std::unique_ptr<QWidget> window = GetParam().make(model.model);
  window->show();
  QCoreApplication::processEvents();
  applyLongerCaptions(window.get());
  QCoreApplication::processEvents();
  expectLaidOut(*window);
}

namespace {
THeadlessUserInterface headless;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, LanguageLayout,
    ::testing::Values(
        Window{"TimeBounds",
               [](TModel &m) {
                 auto w = std::make_unique<TFormEditReminderDT>(m);
                 w->LoadReminder(QStringLiteral("new"));
                 return std::unique_ptr<QWidget>(std::move(w));
               }},
        Window{"YearDays",
               [](TModel &m) { return std::unique_ptr<QWidget>(new TFormEditReminderYear(m)); }},
        Window{"RemindAgain",
               [](TModel &m) { return std::unique_ptr<QWidget>(new TFormEditReminAfter(m)); }},
        Window{"About",
               [](TModel &m) {
                 auto w = std::make_unique<TFormAbout>(m);
                 w->Prepare(QStringLiteral("About"));
                 return std::unique_ptr<QWidget>(std::move(w));
               }},
        Window{"Log",
               [](TModel &m) { return std::unique_ptr<QWidget>(new TFrameLog(m, headless)); }},
        Window{"Mail", [](TModel &m) { return std::unique_ptr<QWidget>(new TFrameMail(m)); }},
        Window{"Program",
               [](TModel &m) { return std::unique_ptr<QWidget>(new TFrameShellExec(m)); }}),
    [](const ::testing::TestParamInfo<Window> &info) { return std::string(info.param.name); });
