#include "model/MSXMLObjectWithGuidAsId.h"
#include "platform/Errors.h"
#include "tests/model/StoreTestUtil.h"

#include <gtest/gtest.h>

using namespace storetest;

namespace {

TMSXMLObjectWithGuidAsId fromXml(const QByteArray &xml) {
  return TMSXMLObjectWithGuidAsId(fileWith(xml), QStringLiteral("item"), QStringLiteral("root"));
}

QStringList childNames(pugi::xml_node node) {
  QStringList names;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    names << QString::fromUtf8(c.name());
  return names;
}

QStringList ids(const TMSXMLObject &x) {
  QStringList list;
  x.GetIds(&list);
  return list;
}

const QByteArray TwoItems = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                            "<item id=\"{AAA}\" user=\"ANNA\"><subject>a</subject></item>"
                            "<item id=\"{BBB}\" user=\"BOB\"><subject>b</subject></item></root>";

} // namespace

TEST(MSXMLObject, ANewObjectWithoutFileHasTheDeclarationAndAnEmptyRoot) {
  TMSXMLObjectWithGuidAsId x(QString(), QStringLiteral("item"), QStringLiteral("root"));
  EXPECT_EQ(x.IdFormat(), QStringLiteral("{%s}"));
  EXPECT_EQ(x.FileName(), QString());
  const QString path = sandbox::makeTempDir(QStringLiteral("empty")) + QStringLiteral("/e.xml");
  x.SaveToFile(path);
  EXPECT_EQ(fileText(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root/>");
}

TEST(MSXMLObject, WriteStringCreatesMissingElementsLastAndReusesThem) {
  auto x = fromXml("<root><item id=\"{A}\"/></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  x.WriteString(QStringLiteral("x"), QStringLiteral("1"));
  x.WriteString(QStringLiteral("y"), QStringLiteral("2"));
  x.WriteString(QStringLiteral("a\\b\\c"), QStringLiteral("deep"));
  x.WriteString(QStringLiteral("a/b/d"), QStringLiteral("other"));
  x.WriteString(QStringLiteral("a/b/c"), QStringLiteral("again"));
  const pugi::xml_node item = x.CurrentItem();
  EXPECT_EQ(childNames(item), (QStringList{"x", "y", "a"}));
  EXPECT_EQ(childNames(item.child("a")), QStringList{"b"});
  EXPECT_EQ(childNames(item.child("a").child("b")), (QStringList{"c", "d"}));
  EXPECT_EQ(x.ReadString(QStringLiteral("a/b/c"), QString()), QStringLiteral("again"));
  EXPECT_EQ(x.ReadString(QStringLiteral("a\\b\\d"), QString()), QStringLiteral("other"));
}

TEST(MSXMLObject, TypedReadsFollowTheirRules) {
  auto x = fromXml("<root><item id=\"{A}\"><t>TRUE</t><y>yes</y><e/><n> 12 </n><h>$1A</h>"
                   "<d>2024-05-06T10:30</d><bad>2024-13-01T00:00</bad>"
                   "<mixed>x<!--c-->y<z>w</z></mixed></item></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  EXPECT_TRUE(x.ReadBool(QStringLiteral("t"), false));
  EXPECT_FALSE(x.ReadBool(QStringLiteral("y"), true));
  EXPECT_FALSE(x.ReadBool(QStringLiteral("e"), true));
  EXPECT_TRUE(x.ReadBool(QStringLiteral("missing"), true));
  EXPECT_EQ(x.ReadInteger(QStringLiteral("n"), 5), 12);
  EXPECT_EQ(x.ReadInteger(QStringLiteral("missing"), 5), 5);
  EXPECT_THROW((void)x.ReadInteger(QStringLiteral("e"), 5), EConvertError);
  EXPECT_THROW((void)x.ReadInteger(QStringLiteral("h"), 5), EConvertError);
  const TDateTime def(123);
  EXPECT_EQ(x.ReadDateTime(QStringLiteral("d"), def), EncodeDateTime(2024, 5, 6, 10, 30, 0, 0));
  EXPECT_EQ(x.ReadDateTime(QStringLiteral("bad"), def), def);
  EXPECT_EQ(x.ReadDateTime(QStringLiteral("e"), def), def);
  EXPECT_EQ(x.ReadString(QStringLiteral("mixed"), QString()), QStringLiteral("xyw"));
  // Paths are element names only; anything else finds nothing.
  EXPECT_EQ(x.ReadString(QStringLiteral("t[1]"), QStringLiteral("d")), QStringLiteral("d"));
  EXPECT_EQ(x.ReadString(QString(), QStringLiteral("d")), QStringLiteral("d"));
}

TEST(MSXMLObject, ValuesRoundTripThroughTheFile) {
  auto x = fromXml("<root><item id=\"{A}\"/></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  const QString text = QStringLiteral("ü 中文 😀 <&> \"q\" 'a'\r\nline two");
  x.WriteString(QStringLiteral("text"), text);
  x.WriteBool(QStringLiteral("b"), true);
  x.WriteInteger(QStringLiteral("i"), -2147483647 - 1);
  x.WriteDateTime(QStringLiteral("dt"), EncodeDateTime(2024, 3, 5, 10, 30, 15, 250));
  x.WriteString(QStringLiteral("empty"), QString());
  x.Save();
  auto y = TMSXMLObjectWithGuidAsId(x.FileName(), QStringLiteral("item"), QStringLiteral("root"));
  ASSERT_TRUE(y.SelectItem(QStringLiteral("A")));
  // The parser turns CR LF into LF, as XML parsers do; the reminder reader restores CR LF.
  EXPECT_EQ(y.ReadString(QStringLiteral("text"), QString()),
            QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  EXPECT_TRUE(y.ReadBool(QStringLiteral("b"), false));
  EXPECT_EQ(y.ReadInteger(QStringLiteral("i"), 0), -2147483647 - 1);
  EXPECT_EQ(y.ReadDateTime(QStringLiteral("dt"), TDateTime()),
            EncodeDateTime(2024, 3, 5, 10, 30, 15, 250));
  EXPECT_EQ(y.ReadString(QStringLiteral("empty"), QStringLiteral("default")), QString());
}

TEST(MSXMLObject, IdsAreExtractedAndFoundWithoutQueryText) {
  auto x = fromXml("<root><item id=\"{AAA}\" user=\"ANNA\"/><item user=\"X\"/>"
                   "<group><item id=\"{o'brien}\" user=\"anna\"/></group>"
                   "<item id=\"plain\"/><item id=\"{AAA}\"><second/></item></root>");
  EXPECT_EQ(x.ExtractId(QStringLiteral("{0F0F0F0F-1111-2222-3333-444455556666}")),
            QStringLiteral("0F0F0F0F-1111-2222-3333-444455556666"));
  EXPECT_EQ(x.ExtractId(QStringLiteral("ABC")), QStringLiteral("B"));
  EXPECT_EQ(ids(x), (QStringList{"AAA", "o'brien", "lai", "AAA"}));
  QStringList ofUser;
  x.GetIdsOfUser(&ofUser, QStringLiteral("Anna"));
  EXPECT_EQ(ofUser, (QStringList{"AAA", "o'brien"}));
  x.GetIds(nullptr); // nothing happens without a list
  EXPECT_FALSE(x.FindItem(QStringLiteral("new")));
  EXPECT_FALSE(x.FindItem(QStringLiteral("aaa"))); // exact comparison
  EXPECT_FALSE(x.FindItem(QStringLiteral("x' or '1'='1")));
  ASSERT_TRUE(x.FindItem(QStringLiteral("o'brien")));
  EXPECT_STREQ(x.FindItem(QStringLiteral("o'brien")).attribute("user").value(), "anna");
  EXPECT_FALSE(x.FindItem(QStringLiteral("AAA")).child("second")); // the first in document order

  TMSXMLObjectWithStringAsId s(QString(), QStringLiteral("id_%s"), QStringLiteral("item"),
                               QStringLiteral("root"));
  EXPECT_EQ(s.ExtractId(QStringLiteral("id_5")), QStringLiteral("5"));
  s.AddItem(QStringLiteral("5"), QString());
  EXPECT_TRUE(s.FindItem(QStringLiteral("5")));
}

TEST(MSXMLObject, AddAndDeleteKeepTheIndexRight) {
  auto x = fromXml(TwoItems);
  ASSERT_TRUE(x.SelectItem(QStringLiteral("BBB")));
  const QString id = x.AddNewItem(QStringLiteral("CARL"));
  EXPECT_EQ(id.size(), 36);
  EXPECT_EQ(id, id.toUpper());
  EXPECT_EQ(QString::fromUtf8(x.CurrentItem().attribute("id").value()), QStringLiteral("{BBB}"));
  const pugi::xml_node added = x.FindItem(id);
  ASSERT_TRUE(added);
  EXPECT_STREQ(added.first_attribute().name(), "id");
  EXPECT_STREQ(added.attribute("user").value(), "CARL");
  x.AddItem(QStringLiteral("NOUSER"), QString());
  EXPECT_FALSE(x.FindItem(QStringLiteral("NOUSER")).attribute("user"));
  EXPECT_TRUE(x.DeleteItem(QStringLiteral("AAA")));
  EXPECT_FALSE(x.DeleteItem(QStringLiteral("AAA")));
  EXPECT_FALSE(x.FindItem(QStringLiteral("AAA")));
  EXPECT_EQ(ids(x), (QStringList{"BBB", id, "NOUSER"}));
}

TEST(MSXMLObject, TheCurrentItemNeverDangles) {
  auto x = fromXml(TwoItems);
  ASSERT_TRUE(x.SelectItem(QStringLiteral("AAA")));
  EXPECT_TRUE(x.DeleteItem(QStringLiteral("AAA")));
  EXPECT_FALSE(x.CurrentItem());
  EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QStringLiteral("def")), QStringLiteral("def"));
  x.WriteString(QStringLiteral("subject"), QStringLiteral("ignored"));
  EXPECT_EQ(ids(x), QStringList{"BBB"});

  // Deleting another item keeps the current one.
  ASSERT_TRUE(x.SelectItem(QStringLiteral("BBB")));
  x.AddItem(QStringLiteral("CCC"), QString());
  EXPECT_TRUE(x.DeleteItem(QStringLiteral("CCC")));
  EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QString()), QStringLiteral("b"));

  // Removing a node below the item keeps the item; reloading drops it.
  x.RemoveNode(QStringLiteral("subject"));
  EXPECT_TRUE(x.CurrentItem());
  EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QStringLiteral("gone")),
            QStringLiteral("gone"));
  x.LoadFromFile(fileWith(TwoItems));
  EXPECT_FALSE(x.CurrentItem());
  EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QStringLiteral("def")), QStringLiteral("def"));

  // Replacing the current item by a merge clears it too.
  ASSERT_TRUE(x.SelectItem(QStringLiteral("AAA")));
  auto other = fromXml(TwoItems);
  EXPECT_EQ(x.MergeItems(other, true), 2);
  EXPECT_FALSE(x.CurrentItem());
}

TEST(MSXMLObject, MergeSkipsOrReplacesByIdIgnoringCase) {
  auto other = fromXml("<root><item id=\"{aaa}\" user=\"NEW\"><subject>new a</subject></item>"
                       "<item id=\"{CCC}\" user=\"C\"/><item id=\"{o'x}\"/></root>");
  {
    auto x = fromXml(TwoItems);
    EXPECT_EQ(x.MergeItems(other, false), 2);
    EXPECT_EQ(ids(x), (QStringList{"AAA", "BBB", "CCC", "o'x"}));
    ASSERT_TRUE(x.SelectItem(QStringLiteral("AAA")));
    EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QString()), QStringLiteral("a"));
  }
  {
    auto x = fromXml(TwoItems);
    EXPECT_EQ(x.MergeItems(other, true), 3);
    // The old "{AAA}" is gone although the file spells it "{aaa}": no duplicate.
    EXPECT_EQ(ids(x), (QStringList{"BBB", "aaa", "CCC", "o'x"}));
    ASSERT_TRUE(x.SelectItem(QStringLiteral("aaa")));
    EXPECT_EQ(x.ReadString(QStringLiteral("subject"), QString()), QStringLiteral("new a"));
    EXPECT_STREQ(x.CurrentItem().attribute("user").value(), "NEW");
  }
  {
    auto x = fromXml(TwoItems);
    auto same = fromXml(TwoItems);
    EXPECT_EQ(x.MergeItems(same, false), 0);
    EXPECT_EQ(x.MergeItems(x, true), 2); // merging with itself is harmless
    EXPECT_EQ(ids(x), (QStringList{"AAA", "BBB"}));
  }
}

TEST(MSXMLObject, DuplicateCopiesEverythingButTheId) {
  auto x = fromXml("<root><item id=\"{AAA}\" user=\"ANNA\" extra=\"1\"><subject>s</subject>"
                   "<sticker><enable>true</enable></sticker></item><item id=\"{BBB}\"/></root>");
  EXPECT_EQ(x.DuplicateItem(QStringLiteral("nope")), QString());
  EXPECT_EQ(ids(x).size(), 2);
  const QString id = x.DuplicateItem(QStringLiteral("AAA"));
  ASSERT_EQ(id.size(), 36);
  EXPECT_EQ(ids(x), (QStringList{"AAA", "BBB", id}));
  const pugi::xml_node copy = x.FindItem(id);
  EXPECT_STREQ(copy.first_attribute().name(), "id");
  EXPECT_STREQ(copy.attribute("user").value(), "ANNA");
  EXPECT_STREQ(copy.attribute("extra").value(), "1");
  EXPECT_STREQ(copy.child("sticker").child_value("enable"), "true");
  EXPECT_STREQ(copy.child_value("subject"), "s");
}

TEST(MSXMLObject, ExportWritesCopiesInListOrder) {
  auto x = fromXml(TwoItems);
  const QString dir = sandbox::makeTempDir(QStringLiteral("export"));
  x.ExportItems({}, dir + QStringLiteral("/none.xml"));
  EXPECT_EQ(fileText(dir + QStringLiteral("/none.xml")),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root/>");
  x.ExportItems({QStringLiteral("BBB"), QStringLiteral("missing"), QStringLiteral("AAA")},
                dir + QStringLiteral("/two.xml"));
  TMSXMLObjectWithGuidAsId back(dir + QStringLiteral("/two.xml"), QStringLiteral("item"),
                                QStringLiteral("root"));
  EXPECT_EQ(ids(back), (QStringList{"BBB", "AAA"}));
  EXPECT_STREQ(back.FindItem(QStringLiteral("AAA")).attribute("user").value(), "ANNA");
  EXPECT_THROW(x.ExportItems({}, dir + QStringLiteral("/two.xml/below.xml")), EFileError);
}

TEST(MSXMLObject, LoadingHandlesMissingBrokenAndForeignFiles) {
  auto x = fromXml(TwoItems);
  const QString missing =
      sandbox::makeTempDir(QStringLiteral("missing")) + QStringLiteral("/m.xml");
  x.LoadFromFile(missing);
  EXPECT_EQ(x.FileName(), missing);
  EXPECT_EQ(ids(x).size(), 2); // the content stays
  EXPECT_FALSE(x.LastLoadParsed());

  x.LoadFromFile(fileWith("<root><"));
  EXPECT_FALSE(x.LastLoadParsed());
  EXPECT_EQ(ids(x).size(), 0);
  EXPECT_STREQ(x.Document().document_element().name(), "root");

  x.LoadFromFile(fileWith("\xEF\xBB\xBF<root><item id=\"{A}\"/></root>"));
  EXPECT_EQ(ids(x), QStringList{"A"});
  EXPECT_TRUE(x.LastLoadParsed());
  x.LoadFromFile(fileWith("<html><item id=\"{A}\"/></html>"));
  EXPECT_FALSE(x.LastLoadParsed()); // parses, but is no file of this kind

  // Declared UTF-16 but stored as UTF-8: saved back with a true declaration.
  x.LoadFromFile(fileWith(
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?><root><item id=\"{\xC3\xBC}\"/></root>"));
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("ü")});
  x.Save();
  EXPECT_TRUE(readFile(x.FileName()).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

  // Real UTF-16 with a byte-order mark.
  QByteArray utf16("\xFF\xFE", 2);
  const QString text = QStringLiteral("<root><item id=\"{中}\"/></root>");
  utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
  x.LoadFromFile(fileWith(utf16));
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("中")});

  // An 8-bit file, declared or not: Windows-1252.
  x.LoadFromFile(fileWith(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><root><item id=\"{\xFC\x80}\"/></root>"));
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("ü€")});
  x.LoadFromFile(fileWith("<root><item id=\"{\xE9}\"/></root>"));
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("é")});
  x.LoadFromFile(fileWith(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><root><item id=\"{\xE9\x80}\"/></root>"));
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("é€")});

  // A folder is not a file to load; an unreadable path raises and changes nothing.
  const QString dir = sandbox::makeTempDir(QStringLiteral("dir"));
  x.LoadFromFile(dir);
  EXPECT_EQ(x.FileName(), dir);
  EXPECT_EQ(ids(x), QStringList{QStringLiteral("é€")});
}

TEST(MSXMLObject, ForeignLayoutIsKeptOnSave) {
  const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                         "<root>\n  <!-- note -->\n  <item id=\"{A}\">\n    <x>1</x>\n  </item>\n"
                         "  <item><orphan/></item>\n</root>";
  auto x = fromXml(xml);
  x.Save();
  EXPECT_EQ(fileText(x.FileName()), xml.toStdString());
}

TEST(MSXMLObject, ASaveThatFailsRaisesAndKeepsTheOldFile) {
  auto x = fromXml(TwoItems);
  const QString dir = QFileInfo(x.FileName()).absolutePath();
  const QString blocker = dir + QStringLiteral("/blocker");
  writeFile(blocker, "i am a file");
  try {
    x.SaveToFile(blocker + QStringLiteral("/data.xml"));
    FAIL() << "no error";
  } catch (const EFileError &e) {
    EXPECT_TRUE(e.message().contains(blocker)) << e.message().toStdString();
    EXPECT_TRUE(e.message().contains(QStringLiteral("Not a directory")));
  }
  EXPECT_THROW(x.SaveToFile(QString()), EFileError);
  // A folder where the file should be: the replace fails, the folder stays.
  QDir().mkpath(dir + QStringLiteral("/folder/inner"));
  EXPECT_THROW(x.SaveToFile(dir + QStringLiteral("/folder")), EFileError);
  EXPECT_EQ(readFile(x.FileName()), TwoItems);
  EXPECT_EQ(filesIn(dir), (QStringList{"blocker", "f.xml"}));
}

TEST(MSXMLObject, EachPathStepTakesTheFirstElementOfItsName) {
  auto x = fromXml("<root><item id=\"{D}\"><a><b>1</b></a><a><b>2</b><c>3</c></a></item></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("D")));
  EXPECT_EQ(x.ReadString(QStringLiteral("a/b"), QString()), QStringLiteral("1"));
  // Reads go where writes go: to the first "a".
  EXPECT_EQ(x.ReadString(QStringLiteral("a/c"), QStringLiteral("none")), QStringLiteral("none"));
  x.WriteString(QStringLiteral("a/c"), QStringLiteral("new"));
  EXPECT_EQ(x.ReadString(QStringLiteral("a/c"), QString()), QStringLiteral("new"));
  EXPECT_STREQ(x.CurrentItem().child("a").child_value("c"), "new");
  EXPECT_STREQ(x.CurrentItem().child("a").next_sibling("a").child_value("c"), "3");
}

TEST(MSXMLObject, ReadsSeeWhatWasJustWrittenOrRemoved) {
  auto x = fromXml("<root><item id=\"{A}\"><x><y>1</y></x></item><item id=\"{B}\"/></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  EXPECT_EQ(x.ReadString(QStringLiteral("x/z"), QStringLiteral("d")), QStringLiteral("d"));
  x.WriteString(QStringLiteral("x/z"), QStringLiteral("2"));
  EXPECT_EQ(x.ReadString(QStringLiteral("x/z"), QString()), QStringLiteral("2"));
  EXPECT_EQ(x.ReadString(QStringLiteral("x/y"), QString()), QStringLiteral("1"));
  x.WriteString(QStringLiteral("x/z"), QStringLiteral("3")); // no second "z"
  EXPECT_EQ(x.CurrentItem().child("x").select_nodes("z").size(), 1u);
  x.RemoveNode(QStringLiteral("x"));
  EXPECT_EQ(x.ReadString(QStringLiteral("x/y"), QStringLiteral("gone")), QStringLiteral("gone"));
  // Writing a whole branch as text replaces what was below it.
  x.WriteString(QStringLiteral("p/q"), QStringLiteral("1"));
  x.WriteString(QStringLiteral("p"), QStringLiteral("flat"));
  EXPECT_EQ(x.ReadString(QStringLiteral("p/q"), QStringLiteral("gone")), QStringLiteral("gone"));
  EXPECT_EQ(x.ReadString(QStringLiteral("p"), QString()), QStringLiteral("flat"));
  // Another item has values of its own.
  ASSERT_TRUE(x.SelectItem(QStringLiteral("B")));
  EXPECT_EQ(x.ReadString(QStringLiteral("p"), QStringLiteral("none")), QStringLiteral("none"));
  // Long and non-ASCII names work as well as short ones.
  const QString deep = QStringLiteral("größe/") + QString(70, u'n') + QStringLiteral("/中文");
  x.WriteString(deep, QStringLiteral("v"));
  EXPECT_EQ(x.ReadString(deep, QString()), QStringLiteral("v"));
  EXPECT_THROW(x.WriteString(QStringLiteral("bad name/x"), QStringLiteral("v")), ETolvaneError);
  EXPECT_THROW(x.WriteString(QStringLiteral("a//b"), QStringLiteral("v")), ETolvaneError);
}

TEST(MSXMLObject, ItemAndRootNamesMustBePlainElementNames) {
  for (const char *bad : {"it em", "a/b", "a\\b", "", "x]|//y"})
    EXPECT_THROW(TMSXMLObjectWithGuidAsId(QString(), QString::fromLatin1(bad), "root"),
                 ETolvaneError)
        << bad;
  EXPECT_THROW(TMSXMLObjectWithGuidAsId(QString(), "item", "ro ot"), ETolvaneError);
}

TEST(MSXMLObject, AFileFarLargerThanAnyStoreIsRefusedUnread) {
  // A wrong file picked for an import must not be read into memory whole (and converted again).
  auto x = fromXml(TwoItems);
  const QString huge = fileWith("<root>");
  ASSERT_TRUE(QFile(huge).resize(qint64(512) * 1024 * 1024 + 1)); // sparse: costs no disk
  EXPECT_THROW(x.LoadFromFile(huge), EFileError);
  EXPECT_EQ(ids(x).size(), 2);
  EXPECT_NE(x.FileName(), huge);
}

// The bytes of a save, to the byte: every line break inside a text as CR LF whatever form it had
// (LF, CR LF, a lone CR), CDATA likewise; the blanks between elements, comments and processing
// instructions as they were; a ">" inside an attribute value ends no tag.
TEST(MSXMLObject, ASaveHoldsTheLineBreaksOfTextsAsCrLfToTheByte) {
  auto x =
      fromXml("<?xml version=\"1.0\"?>\n<!-- a\ncomment -->\n<root>\n  <?pi one\ntwo?>\n"
              "  <item id=\"{A}\" note=\"a > b\">\n    <kept>x\ny</kept>\n"
              "    <data><![CDATA[c\nd]]></data>\n    <blank>\n</blank>\n  </item>\n</root>\n");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  x.WriteString(QStringLiteral("lf"), QStringLiteral("one\ntwo\n"));
  x.WriteString(QStringLiteral("crlf"), QStringLiteral("one\r\ntwo"));
  x.WriteString(QStringLiteral("cr"), QStringLiteral("\rone\rtwo\r"));
  x.WriteString(QStringLiteral("mixed"), QStringLiteral("a\r\r\nb\n\rc\n\nd"));
  x.WriteString(QStringLiteral("sub/deep"), QStringLiteral("<&>\r\n"));
  x.Save();
  EXPECT_EQ(fileText(x.FileName()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- a\ncomment --><root>\n"
            "  <?pi one\ntwo?>\n  <item id=\"{A}\" note=\"a > b\">\n"
            "    <kept>x\r\ny</kept>\n    <data><![CDATA[c\r\nd]]></data>\n"
            "    <blank>\r\n</blank>\n  "
            "<lf>one\r\ntwo\r\n</lf><crlf>one\r\ntwo</crlf><cr>\r\none\r\ntwo\r\n</cr>"
            "<mixed>a\r\n\r\nb\r\n\r\nc\r\n\r\nd</mixed><sub><deep>&lt;&amp;&gt;\r\n</deep></sub>"
            "</item>\n</root>");
}

TEST(MSXMLObject, ATextOfThousandsOfLineBreaksIsSavedWithEachAsCrLf) {
  auto x = fromXml("<root><item id=\"{A}\"/></root>");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  QString text;
  QByteArray expected;
  for (int i = 0; i < 3000; ++i) {
    text += QStringLiteral("line %1").arg(i) + QLatin1String(i % 3 == 0   ? "\n"
                                                             : i % 3 == 1 ? "\r\n"
                                                                          : "\r");
    expected += QStringLiteral("line %1\r\n").arg(i).toUtf8();
  }
  x.WriteString(QStringLiteral("text"), text);
  x.Save();
  EXPECT_EQ(readFile(x.FileName()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><item id=\"{A}\"><text>" + expected +
                "</text></item></root>");
}

// Texts with line breaks among many without, each break moving what follows it: every byte ends
// where a save into a new buffer would put it.
TEST(MSXMLObject, ManyTextsWithLineBreaksAmongOthersAreSavedWithEachBreakAsCrLf) {
  auto x = fromXml("<root/>");
  QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>";
  for (int i = 0; i < 300; ++i) {
    const QString id = QString::number(i);
    x.AddItem(id, QString());
    ASSERT_TRUE(x.SelectItem(id));
    const QString breaks = QString(i % 4, u'\n');
    x.WriteString(QStringLiteral("t"), breaks + QStringLiteral("line ") + id + breaks);
    x.WriteString(QStringLiteral("u"), QStringLiteral("plain"));
    const QByteArray crLf = QByteArray("\r\n").repeated(i % 4);
    expected += "<item id=\"{" + id.toUtf8() + "}\"><t>" + crLf + "line " + id.toUtf8() + crLf +
                "</t><u>plain</u></item>";
  }
  x.Save();
  EXPECT_EQ(readFile(x.FileName()), expected + "</root>");
}

// The same rules for a file of elements and texts alone (no comment, instruction or CDATA): its
// indentation stays, a text and a blank leaf take CR LF, a ">" in an attribute ends no tag.
TEST(MSXMLObject, ASaveOfElementsAndTextsAloneHoldsTheSameLineBreaks) {
  auto x = fromXml("<root>\n  <item id=\"{A}\" note=\"a > b\n\">\n    <kept>x\ny</kept>\n"
                   "    <blank>\n</blank><e/>\n  </item>\n</root>\n");
  ASSERT_TRUE(x.SelectItem(QStringLiteral("A")));
  x.WriteString(QStringLiteral("cr"), QStringLiteral("\rone\r\ntwo"));
  x.Save();
  EXPECT_EQ(fileText(x.FileName()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>\n  <item id=\"{A}\" note=\"a > b "
            "\">\n    <kept>x\r\ny</kept>\n    <blank>\r\n</blank><e/>\n  "
            "<cr>\r\none\r\ntwo</cr></item>\n</root>");
}
