#include "ui/IconLibrary.h"

#include <QImage>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

TEST(IconLibrary, EveryListedPictureDrawsSomething) {
  for (TImageList list : {TImageList::Common, TImageList::Main, TImageList::Reminder,
                          TImageList::Editor, TImageList::About}) {
    ASSERT_FALSE(iconlibrary::indices(list).isEmpty());
    for (int index : iconlibrary::indices(list)) {
      const QImage image = iconlibrary::icon(list, index).pixmap(16, 16).toImage();
      ASSERT_FALSE(image.isNull()) << int(list) << "/" << index;
      // An unreadable file would give a null icon or a fully transparent rendering.
      bool painted = false;
      for (int y = 0; y < image.height() && !painted; ++y)
        for (int x = 0; x < image.width() && !painted; ++x)
          painted = qAlpha(image.pixel(x, y)) != 0;
      EXPECT_TRUE(painted) << int(list) << "/" << index;
    }
  }
  EXPECT_TRUE(iconlibrary::icon(TImageList::Common, 0).isNull());
}

TEST(IconLibrary, ItemsKeepTheIndexTheyShow) {
  QTreeWidgetItem item;
  iconlibrary::setItemIcon(&item, 3, TImageList::Common, 20);
  EXPECT_EQ(item.data(3, IconIndexRole).toInt(), 20);
  EXPECT_FALSE(item.icon(3).isNull());
  iconlibrary::setItemIcon(&item, 3, TImageList::Common, -1);
  EXPECT_EQ(item.data(3, IconIndexRole).toInt(), -1);
  EXPECT_TRUE(item.icon(3).isNull());
}
