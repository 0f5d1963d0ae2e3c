#include "services/MailAccount.h"

#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
}

// Removes both configuration files the lookup may read.
class MailAccountFiles : public ::testing::Test {
protected:
  void SetUp() override { clear(); }
  void TearDown() override { clear(); }
  static void clear() {
    QFile::remove(sandbox::home() + QStringLiteral("/.msmtprc"));
    QFile::remove(sandbox::configDir() + QStringLiteral("/msmtp/config"));
  }
};

} // namespace

TEST(MsmtpConfig, DefaultAccountInheritsDefaultsAndParents) {
  const auto a = ReadMsmtpDefaultAccount(QStringLiteral("# mine\n"
                                                        "defaults\n"
                                                        "auth on\n"
                                                        "port 587\n"
                                                        "\n"
                                                        "account work\n"
                                                        "host smtp.work.example\n"
                                                        "from \"me@work.example\"\n"
                                                        "user me\n"
                                                        "\n"
                                                        "account home\n"
                                                        "host mail.home.example\n"
                                                        "from me@home.example\n"
                                                        "\n"
                                                        "account default : work\n"));
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->host, QStringLiteral("smtp.work.example"));
  EXPECT_EQ(a->from, QStringLiteral("me@work.example"));
  EXPECT_EQ(a->user, QStringLiteral("me"));
  EXPECT_EQ(a->port, 587);
  EXPECT_TRUE(a->displayName.isEmpty());
}

TEST(MsmtpConfig, PortFollowsTlsWhenNotGiven) {
  const auto plain = ReadMsmtpDefaultAccount(QStringLiteral("account default\nhost h\n"));
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->port, 25);
  const auto tls = ReadMsmtpDefaultAccount(
      QStringLiteral("account default\nhost h\ntls on\ntls_starttls off\n"));
  ASSERT_TRUE(tls.has_value());
  EXPECT_EQ(tls->port, 465);
}

TEST(MsmtpConfig, NoDefaultAccountGivesNone) {
  EXPECT_FALSE(ReadMsmtpDefaultAccount(QStringLiteral("account work\nhost h\n")).has_value());
  EXPECT_FALSE(ReadMsmtpDefaultAccount(QString()).has_value());
  // A default that names a missing parent is still the default, with the defaults only.
  const auto a =
      ReadMsmtpDefaultAccount(QStringLiteral("defaults\nhost d\naccount default : gone\n"));
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->host, QStringLiteral("d"));
}

TEST_F(MailAccountFiles, NoConfigurationLeavesOutputsUnchanged) {
  QString host = QStringLiteral("h0"), from = QStringLiteral("f0"), name = QStringLiteral("n0");
  EXPECT_FALSE(GetDefaultMailAccount(host, from, name));
  EXPECT_EQ(host, QStringLiteral("h0"));
  EXPECT_EQ(from, QStringLiteral("f0"));
  EXPECT_EQ(name, QStringLiteral("n0"));

  // A configuration without a default account is no account either.
  writeFile(sandbox::configDir() + QStringLiteral("/msmtp/config"), "account a\nhost x\n");
  EXPECT_FALSE(GetDefaultMailAccount(host, from, name));
  EXPECT_EQ(host, QStringLiteral("h0"));
}

TEST_F(MailAccountFiles, ReadsTheXdgFileAndPrefersMsmtprc) {
  writeFile(sandbox::configDir() + QStringLiteral("/msmtp/config"),
            "account default\nhost xdg.example\nfrom a@xdg.example\n");
  QString host, from, name = QStringLiteral("old");
  ASSERT_TRUE(GetDefaultMailAccount(host, from, name));
  EXPECT_EQ(host, QStringLiteral("xdg.example"));
  EXPECT_EQ(from, QStringLiteral("a@xdg.example"));
  EXPECT_EQ(name, QString());

  writeFile(sandbox::home() + QStringLiteral("/.msmtprc"),
            "account default\r\nhost rc.example\r\nfrom b@rc.example\r\n");
  ASSERT_TRUE(GetDefaultMailAccount(host, from, name));
  EXPECT_EQ(host, QStringLiteral("rc.example"));
  EXPECT_EQ(from, QStringLiteral("b@rc.example"));
}
