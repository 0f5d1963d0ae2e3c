#include "model/StoreJournal.h"
#include "model/XMLStore.h"
#include "tests/model/StoreTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace storetest;

namespace {

const QByteArray Store2 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                          "<item id=\"{AAA}\"><enable>true</enable></item>"
                          "<item id=\"{BBB}\"><enable>true</enable></item></root>";

TJournalRecord record(uint64_t seq, const QString &id, const QString &enable) {
  return {seq, id, {{QStringLiteral("enable"), enable}}};
}

QString readEnable(TXMLStore &store, const QString &id) {
  return store.SelectItem(id) ? store.ReadString(QStringLiteral("enable"), QStringLiteral("-"))
                              : QStringLiteral("no item");
}

void append(const QString &file, const QByteArray &bytes) {
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::Append));
  f.write(bytes);
}

} // namespace

TEST(StoreJournal, RecordsReadBackWholeInTheirOrderAndACutOrGarbledOneIsSkipped) {
  const QString store = fileWith(Store2, QStringLiteral("data.xml"));
  const TJournalRecord odd{
      7, QStringLiteral("AAA"), {{QStringLiteral("text"), QStringLiteral("a\tb\r\nc\\d=e")}}};
  AppendJournalRecord(store, odd);
  AppendJournalRecord(store, record(8, QStringLiteral("BBB"), QStringLiteral("false")));
  const QString journal = JournalFileName(store);
  EXPECT_EQ(journal, store + QStringLiteral(".journal"));
  // A record whose bytes were damaged, and one a kill cut short.
  append(journal, "9\tAAA\tenable=false\t123abc\n");
  append(journal, "10\tBBB\tenable=tr");
  AppendJournalRecord(store, record(11, QStringLiteral("AAA"), QStringLiteral("false")));

  const std::vector<TJournalRecord> back = ReadJournal(store);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].seq, 7u);
  EXPECT_EQ(back[0].values, odd.values);
  EXPECT_EQ(back[1].id, QStringLiteral("BBB"));
  EXPECT_EQ(back[2].seq, 11u); // after the cut one, on a line of its own
  EXPECT_TRUE(ClearJournal(store));
  EXPECT_TRUE(ReadJournal(store).empty());
  EXPECT_TRUE(QFileInfo::exists(journal));
}

TEST(StoreJournal, TheStoreAppliesWhatItsFileDoesNotHoldYet) {
  const QString file = fileWith(Store2, QStringLiteral("data.xml"));
  {
    TXMLStore store(file);
    store.LoadFromFile(file);
    ASSERT_TRUE(store.SelectItem(QStringLiteral("AAA")));
    store.WriteString(QStringLiteral("enable"), QStringLiteral("false"));
    EXPECT_TRUE(store.AppendToJournal(QStringLiteral("AAA"),
                                      {{QStringLiteral("enable"), QStringLiteral("false")}}));
    EXPECT_TRUE(store.AppendToJournal(QStringLiteral("GONE"),
                                      {{QStringLiteral("enable"), QStringLiteral("false")}}));
  } // killed: the file was never saved
  TXMLStore store(file);
  store.LoadFromFile(file);
  EXPECT_EQ(readEnable(store, QStringLiteral("AAA")), QStringLiteral("true"));
  EXPECT_EQ(store.ApplyJournal(), 1); // the record of an item the file lacks is dropped
  EXPECT_EQ(readEnable(store, QStringLiteral("AAA")), QStringLiteral("false"));
  EXPECT_EQ(readEnable(store, QStringLiteral("GONE")), QStringLiteral("no item"));

  // Saved: the file holds the record, the journal is empty.
  const QByteArray journal = readFile(JournalFileName(file));
  ASSERT_TRUE(store.Save());
  EXPECT_TRUE(ReadJournal(file).empty());
  // A later change is saved too; then a kill between a save and the emptying of the journal
  // leaves the old records: they are not applied over the change.
  ASSERT_TRUE(store.SelectItem(QStringLiteral("AAA")));
  store.WriteString(QStringLiteral("enable"), QStringLiteral("true"));
  ASSERT_TRUE(store.Save());
  writeFile(JournalFileName(file), journal);
  {
    TXMLStore saved(file);
    saved.LoadFromFile(file);
    EXPECT_EQ(saved.ApplyJournal(), 0);
    EXPECT_EQ(readEnable(saved, QStringLiteral("AAA")), QStringLiteral("true"));
    EXPECT_TRUE(saved.AppendToJournal(QStringLiteral("AAA"),
                                      {{QStringLiteral("enable"), QStringLiteral("false")}}));
  }
  TXMLStore again(file);
  again.LoadFromFile(file);
  EXPECT_EQ(again.ApplyJournal(), 1); // numbered after the records the file holds
  EXPECT_EQ(readEnable(again, QStringLiteral("AAA")), QStringLiteral("false"));
}

TEST(StoreJournal, ANewJournalIsTheUsersAloneAndLiesWhereALinkLeads) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("journal-link"));
  const QString sync = dir + QStringLiteral("/sync");
  ASSERT_TRUE(QDir().mkpath(sync));
  writeFile(sync + QStringLiteral("/data.xml"), Store2);
  ASSERT_TRUE(QFile::link(sync + QStringLiteral("/data.xml"), dir + QStringLiteral("/data.xml")));
  AppendJournalRecord(dir + QStringLiteral("/data.xml"),
                      record(1, QStringLiteral("AAA"), QStringLiteral("false")));
  EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/data.xml.journal")));
  const QString journal = sync + QStringLiteral("/data.xml.journal");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(journal).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A journal that is itself a link is written through and stays a link.
  const QString other = fileWith({}, QStringLiteral("elsewhere.journal"));
  const QString linked = fileWith(Store2, QStringLiteral("data.xml"));
  ASSERT_TRUE(QFile::link(other, JournalFileName(linked)));
  AppendJournalRecord(linked, record(1, QStringLiteral("AAA"), QStringLiteral("false")));
  EXPECT_TRUE(QFileInfo(JournalFileName(linked)).isSymLink());
  EXPECT_EQ(ReadJournal(linked).size(), 1u);
  EXPECT_TRUE(readFile(other).startsWith("1\tAAA\tenable=false\t"));
}
