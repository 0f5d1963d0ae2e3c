#include "platform/Errors.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(Errors, GuardedCallShowsErrorsButNotAborts) {
  QStringList shown;
  errors::setExceptionHandler([&](const QString &m) { shown << m; });
  EXPECT_TRUE(errors::guardedCall([] {}));
  EXPECT_FALSE(errors::guardedCall([] { throw EReadError(); }));
  EXPECT_FALSE(errors::guardedCall([] { throw EAbort(); }));
  EXPECT_FALSE(errors::guardedCall([] { throw std::runtime_error("plain"); }));
  EXPECT_FALSE(errors::guardedCall([] { throw 42; }));
  errors::setExceptionHandler({});
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Stream read error"), QStringLiteral("plain"),
                                QStringLiteral("Unknown error")}));
}

TEST(Errors, NotImplementedReportsThenAbortsSilently) {
  QStringList info;
  errors::setInfoReporter([&](const QString &m) { info << m; });
  EXPECT_THROW(NotImplemented(), EAbort);
  errors::setInfoReporter({});
  EXPECT_EQ(info, QStringList{QStringLiteral("Function not yet implemented")});
}

TEST(Errors, ClassesCarryTheirText) {
  const EInvalidGraphic e(QStringLiteral("Bad GIF: äö"));
  EXPECT_EQ(e.message(), QStringLiteral("Bad GIF: äö"));
  EXPECT_STREQ(e.what(), "Bad GIF: äö");
  const ETolvaneError &base = e;
  EXPECT_EQ(base.message(), e.message());
}
