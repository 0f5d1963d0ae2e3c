#include "ui/FormBounds.h"
#include "platform/MemIniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

TEST(FormBounds, AWindowSavedOffEveryScreenComesBackOntoThePrimaryScreen) {
  TMMemIniFile ini;
  ini.setText("[FormMain]\r\nLeft=-5000\r\nTop=4000\r\nWidth=300\r\nHeight=200\r\n");
  QWidget form;
  LoadFormBounds(&form, ini, "FormMain", TBoundsKeys::PositionAndSize);
  const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(form.size(), QSize(300, 200));
  EXPECT_TRUE(primary.contains(QRect(form.pos(), form.size()))) << form.x() << "," << form.y();

  SaveFormBounds(&form, ini, "FormMain");
  EXPECT_EQ(ini.readInteger("FormMain", "Left", 0), form.x());
  EXPECT_EQ(ini.readInteger("FormMain", "Height", 0), 200);
}

TEST(FormBounds, PlacementKeepsAReachableWindowAndFitsItsSize) {
  const QList<QRect> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  // Partly off the right screen, but its title bar can be grabbed: left where it is.
  EXPECT_EQ(PlaceOnScreen({3000, 100, 600, 400}, screens, screens[0]), QRect(3000, 100, 600, 400));
  // Title bar above the screens: centred on the primary screen.
  EXPECT_EQ(PlaceOnScreen({100, -300, 600, 400}, screens, screens[0]), QRect(660, 340, 600, 400));
  // Larger than the screen it is on: shrunk to it.
  EXPECT_EQ(PlaceOnScreen({1920, 0, 2000, 2000}, screens, screens[0]), QRect(1920, 0, 1280, 1024));
}

TEST(FormBounds, AFormWithNoSavedPlaceIsCentredByTheSizeItsLayoutNeeds) {
  TMMemIniFile ini;
  QWidget form;
  form.resize(200, 100);
  auto *layout = new QVBoxLayout(&form);
  auto *tall = new QWidget;
  tall->setMinimumSize(300, 500);
  layout->addWidget(tall);
  LoadFormBounds(&form, ini, "FormEditReminder", TBoundsKeys::Position);
  const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GE(form.height(), 500);
  // Wholly on the screen, buttons at the bottom included.
  EXPECT_TRUE(primary.contains(QRect(form.pos(), form.size())))
      << form.x() << "," << form.y() << " " << form.width() << "x" << form.height();
}
