#pragma once

#include "model/Settings.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestModel.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

// A model of the test's own (fresh settings, an empty store) and empty program, documents and
// configuration folders for each test; the retry pause is recorded instead of waited.
class SettingsSandbox : public ::testing::Test {
protected:
  SettingsSandbox() { reset(); }
  ~SettingsSandbox() override { reset(); }

  static void reset() {
    QDir(sandbox::documentsDir()).removeRecursively();
    QFile::remove(sandbox::documentsDir());
    QDir().mkpath(sandbox::documentsDir());
    QDir(sandbox::programDir()).removeRecursively();
    QDir().mkpath(sandbox::programDir());
    QDir(sandbox::configDir() + "/tolvane").removeRecursively();
    qputenv("TOLVANE_PROGRAM_DIR", QFile::encodeName(sandbox::programDir()));
  }

  static QString userDir() { return sandbox::documentsDir() + "/Tolvane"; }
  static QString programDir() { return sandbox::programDir(); }

  static void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
  }
  static QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  TestModel testModel;
  TMMemIniFile &main = testModel.mainSettings;
  TMMemIniFile &local = testModel.localSettings;
  std::vector<int> pauses;
  ScopedRetryPause pause{[this](int ms) { pauses.push_back(ms); }};
};
