#include "widgets/ControlRefresh.h"

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

TEST(ControlRefresh, RepaintsControlsInsideContainersButNotTheContainers) {
  QDialog form;
  auto *group = new QGroupBox(&form);
  auto *button = new QPushButton(group);
  auto *panel = new QFrame(&form);
  auto *edit = new QLineEdit(panel);
  auto *memo = new QTextEdit(panel);
  auto *label = new QLabel(panel);
  auto *tabs = new QTabWidget(&form);
  auto *page = new QWidget;
  auto *inTab = new QPushButton(page);
  tabs->addTab(page, QStringLiteral("page"));
  auto *popup = new QDialog(&form); // a window of its own: not part of this tree
  auto *inPopup = new QPushButton(popup);

  const QList<QWidget *> done = RefreshControlTree(&form);
  for (QWidget *w :
       {static_cast<QWidget *>(&form), static_cast<QWidget *>(button), static_cast<QWidget *>(edit),
        static_cast<QWidget *>(memo), static_cast<QWidget *>(label), static_cast<QWidget *>(inTab)})
    EXPECT_TRUE(done.contains(w)) << w->metaObject()->className();
  for (QWidget *w : {static_cast<QWidget *>(group), static_cast<QWidget *>(panel),
                     static_cast<QWidget *>(tabs), static_cast<QWidget *>(inPopup)})
    EXPECT_FALSE(done.contains(w)) << w->metaObject()->className();
  EXPECT_EQ(done.count(button), 1);
  EXPECT_TRUE(RefreshControlTree(nullptr).isEmpty());
}
