#include "platform/Errors.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(Errors, GuardedCallShowsErrorsButNotAborts) {
  QStringList shown;
  const errors::ScopedExceptionHandler handler([&](const QString &m) { shown << m; });
  EXPECT_TRUE(errors::guardedCall([] {}));
  EXPECT_FALSE(errors::guardedCall([] { throw EReadError(); }));
  EXPECT_FALSE(errors::guardedCall([] { throw EAbort(); }));
  EXPECT_FALSE(errors::guardedCall([] { throw std::runtime_error("plain"); }));
  EXPECT_FALSE(errors::guardedCall([] { throw 42; }));
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Stream read error"), QStringLiteral("plain"),
                                QStringLiteral("Unknown error")}));
}

TEST(Errors, NotImplementedReportsThenAbortsSilently) {
  QStringList info;
  const errors::ScopedInfoReporter reporter([&](const QString &m) { info << m; });
  EXPECT_THROW(NotImplemented(), EAbort);
  EXPECT_EQ(info, QStringList{QStringLiteral("Function not yet implemented")});
}

// The program installs its reporter and handler once; a test's scoped ones stand in front of them,
// nest, and put the installed ones back when they end.
TEST(Errors, ScopedReportersStandInFrontOfTheInstalledOnesAndPutThemBack) {
  QStringList installed, outer, inner;
  errors::setInfoReporter([&](const QString &m) { installed << "info " + m; });
  errors::setExceptionHandler([&](const QString &m) { installed << "error " + m; });
  {
    const errors::ScopedInfoReporter reporter([&](const QString &m) { outer << m; });
    errors::reportInfo(QStringLiteral("one"));
    {
      const errors::ScopedInfoReporter nested([&](const QString &m) { inner << m; });
      const errors::ScopedExceptionHandler handler([&](const QString &m) { inner << m; });
      errors::reportInfo(QStringLiteral("two"));
      (void)errors::guardedCall([] { throw EFileError(QStringLiteral("three")); });
    }
    errors::reportInfo(QStringLiteral("four"));
  }
  errors::reportInfo(QStringLiteral("five"));
  (void)errors::guardedCall([] { throw EFileError(QStringLiteral("six")); });
  errors::setInfoReporter({});
  errors::setExceptionHandler({});
  EXPECT_EQ(outer, (QStringList{QStringLiteral("one"), QStringLiteral("four")}));
  EXPECT_EQ(inner, (QStringList{QStringLiteral("two"), QStringLiteral("three")}));
  EXPECT_EQ(installed, (QStringList{QStringLiteral("info five"), QStringLiteral("error six")}));
}

TEST(Errors, ClassesCarryTheirText) {
  const EInvalidGraphic e(QStringLiteral("Bad GIF: äö"));
  EXPECT_EQ(e.message(), QStringLiteral("Bad GIF: äö"));
  EXPECT_STREQ(e.what(), "Bad GIF: äö");
  const ETolvaneError &base = e;
  EXPECT_EQ(base.message(), e.message());
}
