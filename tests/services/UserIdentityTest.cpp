#include "services/UserIdentity.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

TEST(UserIdentity, LoginNameIsUpperCasedAndTrimmed) {
  EXPECT_EQ(NormaliseLoginName(" jdoe "), "JDOE");
  EXPECT_EQ(NormaliseLoginName(QString::fromUtf8("jörg")), QString::fromUtf8("JÖRG"));
  const passwd *pw = ::getpwuid(::geteuid());
  ASSERT_NE(pw, nullptr);
  EXPECT_EQ(GetRawLoginUserName(), QString::fromLocal8Bit(pw->pw_name));
  EXPECT_EQ(GetLoginUserName(), QString::fromLocal8Bit(pw->pw_name).toUpper());
}

TEST(UserIdentity, FullName) {
  EXPECT_EQ(GetUserFullName("", ""), "");
  EXPECT_EQ(GetUserFullName("", "no-such-user-xyz"), "no-such-user-xyz");
  // Only the local machine is asked.
  EXPECT_EQ(GetUserFullName("server", "root"), "root");
  const passwd *root = ::getpwnam("root");
  ASSERT_NE(root, nullptr);
  const QString expected = QString::fromLocal8Bit(root->pw_gecos).section(',', 0, 0);
  EXPECT_EQ(GetUserFullName("", "root"), expected);
  // The upper-cased login name still finds the account.
  EXPECT_EQ(GetUserFullName("", "ROOT"), expected);
}
