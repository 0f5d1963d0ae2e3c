#include "imaging/IconList.h"
#include "imaging/ByteIO.h"
#include "imaging/ListError.h"
#include "tests/imaging/PictureSamples.h"

#include <QIODevice>

#include <cstring>

#include <gtest/gtest.h>

namespace {

QByteArray icoA() { return samples::ico({samples::square(16, 4), samples::square(32, 8)}); }
QByteArray icoB() { return samples::ico({samples::IcoImage{Dib(), {}, samples::png(32), 32}}); }

std::unique_ptr<TIcon> iconOf(const QByteArray &bytes) {
  auto icon = std::make_unique<TIcon>();
  icon->loadFromBytes(bytes);
  return icon;
}

struct Counted {
  TIconList list;
  int changes = 0;
  Counted() {
    list.onChange = [this] { ++changes; };
  }
};

void expectOutOfBounds(const std::function<void()> &f, int index) {
  try {
    f();
    ADD_FAILURE() << "no error";
  } catch (const EListError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (%1)").arg(index));
  }
}

} // namespace

TEST(IconListStream, EmptyListIsFourZeroBytes) {
  Counted c;
  EXPECT_EQ(c.list.saveToBytes(), QByteArray(4, '\0'));
  c.list.loadFromBytes(QByteArray(4, '\0'));
  EXPECT_EQ(c.list.GetCount(), 0);
  EXPECT_EQ(c.changes, 1);
}

TEST(IconListStream, EntriesRoundTripByteForByteAndEmptyOnesComeBackAsSlots) {
  TIconList list;
  list.Add(iconOf(icoA()).get());
  list.Add(nullptr); // an empty icon object, not a slot
  ASSERT_NE(list.Get(1), nullptr);
  EXPECT_TRUE(list.Get(1)->empty());
  list.Add(iconOf(icoB()).get());
  const QByteArray stream = list.saveToBytes();
  EXPECT_EQ(stream, samples::iconListStream({icoA(), QByteArray(), icoB()}));

  Counted back;
  back.list.loadFromBytes(stream);
  EXPECT_EQ(back.changes, 1);
  ASSERT_EQ(back.list.GetCount(), 3);
  EXPECT_EQ(back.list.Get(1), nullptr);
  EXPECT_EQ(back.list.Get(0)->saveToBytes(), icoA());
  EXPECT_EQ(back.list.Get(2)->saveToBytes(), icoB());
  EXPECT_EQ(back.list.saveToBytes(), stream);
  EXPECT_EQ(back.list.width(), 32);
}

TEST(IconListStream, NegativeCountGivesAnEmptyList) {
  TIconList list;
  list.Add(nullptr);
  QByteArray s;
  byteio::putI32(s, -5);
  list.loadFromBytes(s);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(IconListStream, ShortAndLyingStreamsAreReadErrorsThatKeepEarlierEntries) {
  const QByteArray full = samples::iconListStream({icoA(), icoB()});
  Counted c;
  // Cut inside the second entry's bytes.
  EXPECT_THROW(c.list.loadFromBytes(full.left(full.size() - 3)), EReadError);
  EXPECT_EQ(c.changes, 1);
  ASSERT_EQ(c.list.GetCount(), 1);
  EXPECT_EQ(c.list.Get(0)->saveToBytes(), icoA());

  // A count far beyond the data.
  QByteArray lying = full;
  lying[3] = 0x7F;
  EXPECT_THROW(c.list.loadFromBytes(lying), EReadError);
  EXPECT_EQ(c.list.GetCount(), 2);

  // A size of almost 2 GB is refused before anything is allocated.
  QByteArray huge;
  byteio::putI32(huge, 1);
  byteio::putI32(huge, 0x7FFFFFF0);
  huge.append("\0\0\1\0", 4);
  EXPECT_THROW(c.list.loadFromBytes(huge), EReadError);
  EXPECT_EQ(c.list.GetCount(), 0);

  // The same through a sequential device that cannot tell its size.
  struct Pipe : QIODevice {
    QByteArray data;
    qsizetype at = 0;
    bool isSequential() const override { return true; }
    qint64 readData(char *to, qint64 max) override {
      const qint64 n = std::min<qint64>(max, data.size() - at);
      std::memcpy(to, data.constData() + at, std::size_t(n));
      at += n;
      return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
  };
  Pipe pipe;
  pipe.data = huge;
  pipe.open(QIODevice::ReadOnly);
  EXPECT_THROW(c.list.LoadFromStream(pipe), EReadError);

  EXPECT_THROW(c.list.loadFromBytes(QByteArray(3, '\0')), EReadError);
}

TEST(IconListStream, ACorruptIconPropagatesItsErrorAndEarlierEntriesStay) {
  QByteArray bad = icoB();
  bad[2] = 2; // a cursor
  Counted c;
  EXPECT_THROW(c.list.loadFromBytes(samples::iconListStream({icoA(), bad, icoA()})),
               EInvalidGraphic);
  EXPECT_EQ(c.list.GetCount(), 1);
  EXPECT_EQ(c.changes, 1);
}

TEST(IconList, ChangesOfIconsInTheListAreChangesOfTheList) {
  Counted c;
  c.list.Add(iconOf(icoA()).get());
  EXPECT_EQ(c.changes, 1);
  c.list.Get(0)->assign(iconOf(icoB()).get());
  EXPECT_EQ(c.changes, 2);
  c.list.BeginUpdate();
  c.list.BeginUpdate();
  c.list.Get(0)->assign(nullptr);
  c.list.Add(nullptr);
  c.list.EndUpdate();
  EXPECT_EQ(c.changes, 2);
  c.list.EndUpdate();
  EXPECT_EQ(c.changes, 3);
  c.list.EndUpdate(); // unmatched: nothing
  EXPECT_EQ(c.changes, 3);
  // A deleted icon is unbound before it goes.
  TIcon *first = c.list.Get(0);
  c.list.Delete(0);
  EXPECT_EQ(c.changes, 4);
  EXPECT_EQ(c.list.IndexOf(first), -1);
}

TEST(IconList, IndexRulesAndOperations) {
  Counted c;
  const auto a = iconOf(icoA());
  const auto b = iconOf(icoB());
  c.list.Add(a.get());
  c.list.Add(b.get());
  c.list.Put(2, a.get()); // at count: appends
  ASSERT_EQ(c.list.GetCount(), 3);
  EXPECT_EQ(c.list.Get(2)->saveToBytes(), icoA());
  expectOutOfBounds([&] { (void)c.list.Get(3); }, 3);
  expectOutOfBounds([&] { c.list.Put(4, a.get()); }, 4);
  expectOutOfBounds([&] { c.list.Delete(3); }, 3);
  expectOutOfBounds([&] { c.list.Exchange(0, 3); }, 3);
  expectOutOfBounds([&] { c.list.Move(-1, 0); }, -1);
  expectOutOfBounds([&] { c.list.Insert(4, a.get()); }, 4);

  TIcon *kept = c.list.Get(1);
  c.list.Put(1, a.get()); // content replaced, object kept
  EXPECT_EQ(c.list.Get(1), kept);
  EXPECT_EQ(kept->saveToBytes(), icoA());
  EXPECT_EQ(c.list.IndexOf(kept), 1);
  EXPECT_EQ(c.list.IndexOf(a.get()), -1); // a copy is another object

  c.list.Put(0, b.get());
  TIcon *first = c.list.Get(0);
  c.list.Move(0, 2);
  EXPECT_EQ(c.list.Get(2), first);
  c.list.Exchange(0, 2);
  EXPECT_EQ(c.list.Get(0), first);
  c.list.Insert(1, b.get());
  EXPECT_EQ(c.list.GetCount(), 4);
  EXPECT_EQ(c.list.Get(1)->saveToBytes(), icoB());

  const int before = c.changes;
  c.list.Clear();
  EXPECT_EQ(c.list.GetCount(), 0);
  EXPECT_EQ(c.changes, before + 1);
}

TEST(IconList, AssignFromListsIconsAndItself) {
  TIconList source;
  source.Add(iconOf(icoA()).get());
  source.loadFromBytes(samples::iconListStream({icoA(), QByteArray(), icoB()}));
  Counted c;
  c.list.Assign(&source);
  EXPECT_EQ(c.changes, 1);
  ASSERT_EQ(c.list.GetCount(), 3);
  ASSERT_NE(c.list.Get(1), nullptr); // a slot becomes an empty icon
  EXPECT_TRUE(c.list.Get(1)->empty());
  EXPECT_EQ(c.list.saveToBytes(), source.saveToBytes());

  // Assigning the list to itself keeps every entry.
  c.list.Assign(&c.list);
  EXPECT_EQ(c.list.GetCount(), 3);
  // Assigning one of its own icons: the copy is taken before the list is cleared.
  c.list.Assign(c.list.Get(2));
  ASSERT_EQ(c.list.GetCount(), 1);
  EXPECT_EQ(c.list.Get(0)->saveToBytes(), icoB());

  c.list.Assign(nullptr);
  EXPECT_EQ(c.list.GetCount(), 0);
  TOpaqueGraphic other(QStringLiteral("Bitmap"), "x");
  try {
    c.list.Assign(&other);
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a TBitmap to a TIconList"));
  }
  EXPECT_EQ(c.list.clone()->saveToBytes(), c.list.saveToBytes());
}

TEST(IconList, DestructionRaisesNoChange) {
  int changes = 0;
  {
    TIconList list;
    list.Add(iconOf(icoA()).get());
    list.onChange = [&] { ++changes; };
  }
  EXPECT_EQ(changes, 0);
}

TEST(IconList, AResourceThatDoesNotLoadLeavesTheListUnchanged) {
  TIconList list;
  EXPECT_THROW(list.AddResource(QStringLiteral(":/no/such.ico")), EFileError);
  EXPECT_EQ(list.GetCount(), 0);
}
