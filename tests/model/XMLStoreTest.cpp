#include "model/XMLStore.h"
#include "model/LanguageTable.h"
#include "platform/Errors.h"
#include "tests/model/StoreTestUtil.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace storetest;

namespace {

// Collects what the store shows the user.
struct ReportRecorder {
  QStringList messages;
  errors::ScopedInfoReporter reporter{[this](const QString &m) { messages << m; }};
};

QStringList ids(const TMSXMLObject &x) {
  QStringList list;
  x.GetIds(&list);
  return list;
}

const QByteArray Store2 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                          "<item id=\"{AAA}\" user=\"ANNA\"><subject>a</subject></item>"
                          "<item id=\"{BBB}\" user=\"BOB\"><subject>b</subject></item></root>";

} // namespace

TEST(XMLStore, SaveAndLoadGiveTheSameItemsInTheSameOrder) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("roundtrip"));
  TXMLStore store(fileWith(Store2));
  EXPECT_EQ(store.ItemName(), QStringLiteral("item"));
  EXPECT_EQ(store.IdFormat(), QStringLiteral("{%s}"));
  const QString id = store.AddNewItem(QStringLiteral("CARL"));
  EXPECT_TRUE(store.SaveToFile(dir + QStringLiteral("/data.xml")));
  EXPECT_EQ(filesIn(dir), QStringList{"data.xml"}); // no temporary file left
  TXMLStore back(dir + QStringLiteral("/data.xml"));
  EXPECT_EQ(ids(back), (QStringList{"AAA", "BBB", id}));
  EXPECT_STREQ(back.FindItem(id).attribute("user").value(), "CARL");
  EXPECT_EQ(back.FileName(), dir + QStringLiteral("/data.xml"));
  EXPECT_EQ(filesIn(dir), QStringList{"data.xml"});
}

TEST(XMLStore, AFailedSaveIsShownAndChangesNothing) {
  ReportRecorder reports;
  const ScopedLanguageTable table; // the message goes through the table; a path's "/" must not
  const QString path = fileWith(Store2);
  const QString dir = QFileInfo(path).absolutePath();
  TXMLStore store(path);
  writeFile(dir + QStringLiteral("/blocker"), "file");
  const QString target = dir + QStringLiteral("/blocker/data.xml");
  EXPECT_FALSE(store.SaveToFile(target)); // raises nothing
  ASSERT_EQ(reports.messages.size(), 1);
  const QStringList lines = reports.messages[0].split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("Sorry, can't save file!"));
  EXPECT_EQ(lines[1], target);
  EXPECT_TRUE(lines[2].contains(QStringLiteral("Not a directory")));
  // A folder where the file should be: reported, the folder untouched.
  QDir().mkpath(dir + QStringLiteral("/data.xml/inner"));
  EXPECT_FALSE(store.SaveToFile(dir + QStringLiteral("/data.xml")));
  EXPECT_EQ(reports.messages.size(), 2);
  EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/data.xml")).isDir());
  // The document and the old file are as they were.
  EXPECT_EQ(ids(store), (QStringList{"AAA", "BBB"}));
  EXPECT_EQ(readFile(path), Store2);
  // A folder that does not exist.
  EXPECT_FALSE(store.SaveToFile(dir + QStringLiteral("/missing/data.xml")));
  ASSERT_EQ(reports.messages.size(), 3);
  EXPECT_TRUE(reports.messages[2].contains(QStringLiteral("No such file or directory")));
  EXPECT_EQ(filesIn(dir), (QStringList{"blocker", "f.xml"}));
  FreeLanguageTable();
}

TEST(XMLStore, FlushTellsOnlyAFileThatCouldNotBeWritten) {
  ReportRecorder reports;
  TXMLStore none;
  none.Flush(); // no file name yet: nothing to write to
  const QString path = fileWith(Store2);
  TXMLStore store(path);
  ASSERT_TRUE(store.SelectItem(QStringLiteral("AAA")));
  store.WriteString(QStringLiteral("subject"), QStringLiteral("changed"));
  store.Flush();
  EXPECT_TRUE(readFile(path).contains("changed"));
  EXPECT_TRUE(reports.messages.isEmpty());
  writeFile(QFileInfo(path).absolutePath() + QStringLiteral("/blocker"), "x");
  store.LoadFromFile(QFileInfo(path).absolutePath() + QStringLiteral("/blocker/data.xml"));
  store.Flush();
  EXPECT_EQ(reports.messages.size(), 1);
}

TEST(XMLStore, ImportCountsAndOrdersAsTheFileSays) {
  const QString own = fileWith(Store2);
  {
    TXMLStore store(own);
    EXPECT_EQ(store.ImportFromFile(own, false), 0);
    EXPECT_EQ(store.ImportFromFile(
                  fileWith("<root><item id=\"{BBB}\"/><item id=\"{AAA}\"/></root>"), true),
              2);
    EXPECT_EQ(ids(store), (QStringList{"BBB", "AAA"}));
  }
  {
    TXMLStore store(own);
    const QString two = fileWith("<root><item id=\"{aaa}\"/><item id=\"{CCC}\"/></root>");
    EXPECT_EQ(store.ImportFromFile(two, false), 1);
    EXPECT_EQ(store.ImportFromFile(two, true), 2);
    EXPECT_EQ(ids(store), (QStringList{"BBB", "aaa", "CCC"}));
    EXPECT_EQ(store.ImportFromFile(sandbox::root() + QStringLiteral("/missing.xml"), true), 0);
    EXPECT_EQ(store.ImportFromFile(fileWith("<root><item"), true), 0);
    EXPECT_EQ(store.FileName(), own);
  }
}

TEST(XMLStore, ImportedRemindersCannotRunProgramsOrMailFilesAway) {
  TXMLStore store(fileWith(Store2));
  const QString received = fileWith(
      "<root>"
      "<item "
      "id=\"{P}\"><subject>Rent</subject><shellExec><enable>TRUE</enable><fileName>/bin/rm</"
      "fileName></shellExec>"
      "<mail><enable>true</enable><to>x@example.org</to></mail></item>"
      "<item id=\"{M}\"><mail><enable>true</enable><files>/home/u/.ssh/id_rsa</files></mail></item>"
      "<item id=\"{M}\"><mail><enable>true</enable><files>second copy</files></mail></item>"
      "</root>");
  EXPECT_EQ(store.ImportFromFile(received, false), 3);
  ASSERT_TRUE(store.SelectItem(QStringLiteral("P")));
  EXPECT_FALSE(store.ReadBool(QStringLiteral("shellExec/enable"), true));
  EXPECT_EQ(store.ReadString(QStringLiteral("shellExec/fileName"), QString()),
            QStringLiteral("/bin/rm"));
  // A mail without files would still go out through the user's server at every firing.
  EXPECT_FALSE(store.ReadBool(QStringLiteral("mail/enable"), true));
  EXPECT_EQ(store.DisarmedByLastImport().size(), 3);
  EXPECT_EQ(store.DisarmedByLastImport().value(0), QStringLiteral("Rent"));
  int copies = 0;
  for (pugi::xml_node item : store.Document().document_element().children("item")) {
    if (QString::fromUtf8(item.attribute("id").value()) == QStringLiteral("{M}")) {
      EXPECT_STREQ(item.child("mail").child_value("enable"), "false");
      ++copies;
    }
  }
  EXPECT_EQ(copies, 2);
  // Opening a store file leaves everything as it is.
  TXMLStore opened(received);
  ASSERT_TRUE(opened.SelectItem(QStringLiteral("P")));
  EXPECT_TRUE(opened.ReadBool(QStringLiteral("shellExec/enable"), false));
}

namespace {
QByteArray nestedStore(int depth) {
  return "<root><item id=\"{A}\"><subject>" + QByteArray("<a>").repeated(depth) + "x" +
         QByteArray("</a>").repeated(depth) + "</subject></item></root>";
}
} // namespace

TEST(XMLStore, AFileNestedBeyondAnyStoreIsNoStore) {
  // Freeing a subtree recurses once per level: replacing a value nested this deeply, or removing
  // its item, would overflow the stack.
  TXMLStore deep(fileWith(nestedStore(300000)));
  EXPECT_FALSE(deep.LastLoadParsed());
  EXPECT_TRUE(ids(deep).isEmpty());
  if (deep.SelectItem(QStringLiteral("A")))
    deep.WriteString(QStringLiteral("subject"), QStringLiteral("replaced"));
  EXPECT_EQ(deep.ImportFromFile(deep.FileName(), true), 0);

  // Nesting far beyond what the program writes still loads.
  TXMLStore nested(fileWith(nestedStore(100)));
  EXPECT_TRUE(nested.LastLoadParsed());
  ASSERT_TRUE(nested.SelectItem(QStringLiteral("A")));
  EXPECT_EQ(nested.ReadString(QStringLiteral("subject"), QString()), QStringLiteral("x"));
  nested.WriteString(QStringLiteral("subject"), QStringLiteral("replaced"));
  EXPECT_EQ(nested.ReadString(QStringLiteral("subject"), QString()), QStringLiteral("replaced"));
}

// Someone else's write to the store's file is kept aside before the store writes over it.
TEST(XMLStore, AFileWrittenByAnotherProgramIsKeptBeforeTheNextSave) {
  QStringList notices;
  const errors::ScopedInfoReporter reporter([&notices](const QString &text) { notices << text; });
  TXMLStore store(fileWith(Store2));
  ASSERT_TRUE(store.Save());
  ASSERT_TRUE(store.Save()); // its own writes are no conflict
  const QByteArray foreign = "<root><item id=\"{SYNCED}\"/></root>";
  QFile f(store.FileName());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(foreign);
  f.close();
  store.Flush(); // nothing changed here: the other program's file stays as it is
  const QFileInfo info(store.FileName());
  EXPECT_TRUE(info.dir()
                  .entryList({info.completeBaseName() + QStringLiteral("_conflict-*.xml")})
                  .isEmpty());
  EXPECT_TRUE(notices.isEmpty());
  store.SelectItem(store.AddNewItem(QString()));
  store.Flush();
  const QStringList kept =
      info.dir().entryList({info.completeBaseName() + QStringLiteral("_conflict-*.xml")});
  ASSERT_EQ(kept.size(), 1);
  QFile k(info.dir().filePath(kept[0]));
  ASSERT_TRUE(k.open(QIODevice::ReadOnly));
  EXPECT_EQ(k.readAll(), foreign);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains(kept[0]));
  EXPECT_EQ(ids(TXMLStore(store.FileName())), ids(store));
}

TEST(XMLStore, NestingLoadsUpToLevel256AndNoFurther) {
  // With the document's children at level 0, root, item and subject are levels 0 to 2, the 253
  // "a" elements 3 to 255 and their text 256.
  EXPECT_TRUE(TXMLStore(fileWith(nestedStore(253))).LastLoadParsed());
  EXPECT_FALSE(TXMLStore(fileWith(nestedStore(254))).LastLoadParsed());
}
