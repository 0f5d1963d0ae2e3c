// The main of every test program: sandbox first, then one QApplication, then the tests.
#include "tests/support/Sandbox.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  sandbox::setUp();
  ::testing::InitGoogleTest(&argc, argv);
  int result = 0;
  {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    result = RUN_ALL_TESTS();
  }
  sandbox::tearDown();
  return result;
}
