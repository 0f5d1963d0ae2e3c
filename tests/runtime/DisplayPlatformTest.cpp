#include "runtime/DisplayPlatform.h"

#include <gtest/gtest.h>

TEST(DisplayPlatform, XWaylandIsPreferredOnlyWhenNobodyChose) {
  EXPECT_EQ(ChooseDisplayPlatform({}, true, true, false), QStringLiteral("xcb"));
  EXPECT_TRUE(ChooseDisplayPlatform({}, true, false, false).isEmpty());
  EXPECT_TRUE(ChooseDisplayPlatform({}, false, true, false).isEmpty());
  EXPECT_TRUE(ChooseDisplayPlatform(QStringLiteral("wayland"), true, true, false).isEmpty());
  EXPECT_TRUE(ChooseDisplayPlatform({}, true, true, true).isEmpty());
}

TEST(DisplayPlatform, TheChoiceGoesIntoTheEnvironment) {
  const QByteArray saved[3] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                               qgetenv("DISPLAY")};
  qunsetenv("QT_QPA_PLATFORM");
  qputenv("WAYLAND_DISPLAY", "wayland-0");
  qputenv("DISPLAY", ":0");
  char program[] = "tolvane";
  char *argv[] = {program, nullptr};
  EXPECT_EQ(ApplyDisplayPlatformChoice(1, argv), QStringLiteral("xcb"));
  EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
  // A second call sees the choice made.
  EXPECT_TRUE(ApplyDisplayPlatformChoice(1, argv).isEmpty());

  qunsetenv("QT_QPA_PLATFORM");
  char option[] = "-platform";
  char value[] = "wayland";
  char *withArgument[] = {program, option, value, nullptr};
  EXPECT_TRUE(ApplyDisplayPlatformChoice(3, withArgument).isEmpty());
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));

  const char *names[3] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i].isNull())
      qunsetenv(names[i]);
    else
      qputenv(names[i], saved[i]);
  }
}
