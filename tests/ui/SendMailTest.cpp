#include "model/LanguageTable.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/XMLStore.h"
#include "services/CommaText.h"
#include "services/ShellExecute.h"
#include "services/SmtpMailSender.h"
#include "services/VersionInfo.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "ui/FormAbout.h"
#include "ui/FormSendMail.h"
#include "ui/SendSelected.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace keys = settings_keys;

namespace {

// Sends over real SMTP, noting where the attachment lay and how its folder was protected.
class SpySender final : public TMailSender {
public:
  void send(const TMailMessage &message, const TSmtpServer &server) override {
    file = CommaTextToList(message.files).value(0);
    existed = QFileInfo::exists(file);
    folderMode = QFileInfo(QFileInfo(file).path()).permissions();
    smtp.send(message, server);
  }
  TSmtpMailSender smtp;
  QString file;
  bool existed = false;
  QFileDevice::Permissions folderMode;
};

class OpenedPages final : public IShellLauncher {
public:
  bool startProgram(const QString &, const QStringList &, const QString &) override {
    return false;
  }
  bool openDocument(const QString &target) override { return opened << target, true; }
  QStringList opened;
};

template <class W> W *child(QWidget &form, const char *name) {
  return form.findChild<W *>(QString::fromLatin1(name));
}

// Plays the user in the compose dialog once it is open, then presses a button.
void whenComposing(std::function<void(TFormSendMail &)> act, const char *button = "ButtonOk") {
  QTimer::singleShot(0, [act = std::move(act), button] {
    TFormSendMail *form = TFormSendMail::Instance();
    ASSERT_NE(form, nullptr);
    act(*form);
    QTest::mouseClick(child<QPushButton>(*form, button), Qt::LeftButton);
  });
}

class SendMailTest : public ::testing::Test {
protected:
  SendMailTest() {
    for (int i = 0; i < 3; ++i)
      ids << model.model.Store().AddNewItem(QStringLiteral("TESTER"));
    model.mainSettings.writeString(keys::Mail, keys::Host, QStringLiteral("127.0.0.1"));
  }
  bool startServer(const LocalSmtpServer::Options &options = {}) {
    if (!server.start(options))
      return false;
    model.mainSettings.writeInteger(keys::Mail, keys::Port, server.port());
    return true;
  }

  TestModel model{QStringLiteral("send-mail")};
  FakePrompts prompts;
  ScopedUiPrompts usePrompts{prompts};
  SpySender spy;
  ScopedMailSender useSender{spy};
  LocalSmtpServer server;
  QStringList ids;
};

} // namespace

TEST_F(SendMailTest, SelectedRemindersGoOutAsOneAttachedStoreFileFromAPrivateFolder) {
  ASSERT_TRUE(startServer()) << server.errorText().toStdString();
  whenComposing([](TFormSendMail &form) {
    // One address per line, and a semicolon: three recipients, no line break in a header.
    child<QPlainTextEdit>(form, "RichEditTo")->setPlainText("a@x.org\nb@y.org; c@z.org\n");
    child<QLineEdit>(form, "EditFrom")->setText("me@x.org");
  });
  SendSelectedByMail(model.model, {ids[0], ids[2]});
  // The mail goes out in the background: nothing is told until it has.
  EXPECT_TRUE(prompts.shown.isEmpty());
  ASSERT_TRUE(WaitForSelectedMail(std::chrono::seconds(20)));
  EXPECT_EQ(prompts.shown, QStringList{"notice: Done!"});

  const auto mails = server.messages();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0].recipients, (QStringList{"a@x.org", "b@y.org", "c@z.org"}));
  const QByteArray &data = mails[0].data;
  EXPECT_TRUE(data.contains("\r\nTo: a@x.org, b@y.org, c@z.org\r\nSubject: Tolvane\r\n"));
  EXPECT_TRUE(data.contains("How to use:"));
  const QByteArray marker = "filename=\"" + QFileInfo(spy.file).fileName().toUtf8() + "\"\r\n\r\n";
  const qsizetype start = data.indexOf(marker) + marker.size();
  ASSERT_GE(start, marker.size());
  const QString copy = sandbox::makeTempDir(QStringLiteral("received")) + "/r.xml";
  QFile out(copy);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QByteArray::fromBase64(data.mid(start, data.indexOf("\r\n--", start) - start)));
  out.close();
  TXMLStore received;
  received.LoadFromFile(copy);
  QStringList got;
  received.GetIds(&got);
  EXPECT_EQ(got, (QStringList{ids[0], ids[2]}));

  EXPECT_TRUE(spy.existed);
  EXPECT_TRUE(QFileInfo(spy.file).fileName().startsWith("tolvane_data_"));
  EXPECT_EQ(spy.folderMode, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
  EXPECT_FALSE(QFileInfo::exists(QFileInfo(spy.file).path()));
}

TEST_F(SendMailTest, ARefusedRecipientShowsTheServersReplyAndLeavesNoFile) {
  LocalSmtpServer::Options options;
  options.rejectRecipient = QStringLiteral("nobody@x.org");
  ASSERT_TRUE(startServer(options)) << server.errorText().toStdString();
  whenComposing([](TFormSendMail &form) {
    child<QPlainTextEdit>(form, "RichEditTo")->setPlainText("nobody@x.org");
  });
  SendSelectedByMail(model.model, {ids[1]});
  ASSERT_TRUE(WaitForSelectedMail(std::chrono::seconds(20)));
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith("error: Sorry, email was not sent! / Error:\r\n"));
  EXPECT_TRUE(prompts.shown[0].contains("Recipient address rejected"))
      << prompts.shown[0].toStdString();
  EXPECT_TRUE(spy.existed);
  EXPECT_FALSE(QFileInfo::exists(QFileInfo(spy.file).path()));
  // What the user wrote is there for the next try.
  EXPECT_EQ(model.mainSettings.readString(keys::FormSendMail, keys::RichEditTo, {}),
            "nobody@x.org");
}

TEST_F(SendMailTest, NoSelectionOrPlaceholderSettingsSendNothing) {
  SendSelectedByMail(model.model, {});
  model.mainSettings.writeString(keys::Mail, keys::Host, QString(PlaceholderMailHost));
  whenComposing([](TFormSendMail &form) {
    child<QPlainTextEdit>(form, "RichEditTo")->setPlainText("a@x.org");
  });
  SendSelectedByMail(model.model, {ids[0]});
  EXPECT_EQ(prompts.shown, (QStringList{"notice: Nothing is selected!",
                                        "notice: Sorry, can't send mail! (bad parameters!)"}));
  EXPECT_TRUE(spy.file.isEmpty());
}

// The loose reading sent "<evil>@x" to "evil": the dialog now says what is no address and why,
// and stays open until every address field parses.
TEST_F(SendMailTest, SendIsRefusedWithTheReasonWhileAnAddressDoesNotParse) {
  TComposeFields fields{"Tolvane", {}, {}, {}, {}, {}};
  whenComposing([this](TFormSendMail &form) {
    auto *to = child<QPlainTextEdit>(form, "RichEditTo");
    auto *from = child<QLineEdit>(form, "EditFrom");
    auto *send = child<QPushButton>(form, "ButtonOk");
    to->setPlainText("a@x.org; <evil>@x");
    from->setText("me@x.org");
    QTest::mouseClick(send, Qt::LeftButton);
    to->setPlainText("a@x.org");
    from->setText("me@x.org, you@x.org");
    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(prompts.shown,
              (QStringList{"notice: To: \"<evil>@x\" is no mail address. Text follows the "
                           "closing \">\".",
                           "notice: From: \"me@x.org, you@x.org\" is no mail address. It holds "
                           "more than one address."}));
    from->setText("me@x.org");
  });
  EXPECT_TRUE(TFormSendMail::ShowSendMailDialog(model.model, fields));
  EXPECT_EQ(fields.to, "a@x.org");
  EXPECT_EQ(prompts.shown.size(), 2);
}

TEST_F(SendMailTest, ComposeFieldsAreRememberedAlsoAfterCancel) {
  TComposeFields fields{"Tolvane", {}, {}, {}, {}, {}};
  whenComposing(
      [this](TFormSendMail &form) {
        // The layout decides the size; the designed size is the least.
        EXPECT_EQ(form.minimumSize(), QSize(427, 367));
        EXPECT_EQ(form.size().expandedTo(form.minimumSizeHint()), form.size());
        child<QPlainTextEdit>(form, "RichEditCC")->setPlainText(" c@x.org ");
        child<QPlainTextEdit>(form, "RichEditText")->setPlainText("one\ntwo\nthree");
        child<QLineEdit>(form, "EditSubject")->setText("Stored");
        // Return in a line does not send the mail.
        QTest::keyClick(child<QLineEdit>(form, "EditSubject"), Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());
        // A second compose dialog is not opened.
        TComposeFields other;
        EXPECT_FALSE(TFormSendMail::ShowSendMailDialog(model.model, other));
      },
      "ButtonCancel");
  EXPECT_FALSE(TFormSendMail::ShowSendMailDialog(model.model, fields));
  EXPECT_EQ(model.mainSettings.readString(keys::FormSendMail, keys::RichEditCC, {}), "c@x.org");
  EXPECT_EQ(model.mainSettings.readString(keys::FormSendMail, keys::RichEditText, {}),
            "one\\ntwo\\nthree");

  whenComposing([](TFormSendMail &form) {
    EXPECT_EQ(child<QPlainTextEdit>(form, "RichEditCC")->toPlainText(), "c@x.org");
    EXPECT_EQ(child<QLineEdit>(form, "EditSubject")->text(), "Tolvane");
  });
  EXPECT_TRUE(TFormSendMail::ShowSendMailDialog(model.model, fields));
  EXPECT_EQ(fields.cc, "c@x.org");
  EXPECT_EQ(fields.text, "one\ntwo\nthree");
}

TEST_F(SendMailTest, AboutBoxTitleHasNoAmpersandAndItsLinksOpenThePages) {
  OpenedPages pages;
  ScopedShellLauncher useLauncher{pages};
  QTimer::singleShot(0, [] {
    TFormAbout *box = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
      if (auto *b = qobject_cast<TFormAbout *>(w); b && b->isVisible())
        box = b;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Tolvane. About");
    EXPECT_TRUE(child<QLabel>(*box, "LabelVersion")->text().endsWith(GetVersionText()));
    QTest::mouseClick(child<QLabel>(*box, "Label1"), Qt::LeftButton);
    box->ActionAboutMakeLngExecute();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_FALSE(TFormAbout::ShowAboutBox(model.model, QStringLiteral("&About"), nullptr));
  EXPECT_EQ(pages.opened, QStringList{"http://" + MakerWebAddress()});
  TMMemIniFile lng;
  ASSERT_TRUE(lng.loadFromFile(GetDefaultLanguageFileName()));
  EXPECT_EQ(lng.readString("FormAbout", "LabelInfo", {}), "Dont use");
}
