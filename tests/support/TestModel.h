#pragma once

#include "model/Model.h"
#include "tests/support/Sandbox.h"

#include <QString>

// A model of the test's own: fresh settings, an empty store without a file, the store loader
// installed, no template. It reads and writes no file by itself; what its reminders own goes with
// it. Hand `model` to what the test builds. While it lives it is also the current model (the one
// built last), which the free accessors the tests use reach; with no model alive they fail.
// (Header-only: the support library does not link the model.)
class TestModel {
public:
  TestModel() = default;
  // With the store on a data.xml in a fresh sandbox folder of that name (not written yet).
  explicit TestModel(const QString &folder)
      : file(sandbox::makeTempDir(folder) + QStringLiteral("/data.xml")) {
    model.Store().LoadFromFile(file);
  }

  TModel model{TModelStart::Empty};
  const QString file;
  TMMemIniFile &mainSettings = model.MainSettings();
  TMMemIniFile &localSettings = model.LocalSettings();
};
