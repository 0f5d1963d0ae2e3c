#include "model/ModelContext.h"

#include "model/DataObject.h"

namespace {

std::unique_ptr<TDataObject> &preview() {
  static std::unique_ptr<TDataObject> p;
  return p;
}

bool demoMode = false;

} // namespace

TDataObject *PreviewReminder() { return preview().get(); }

void SetPreviewReminder(std::unique_ptr<TDataObject> p) {
  // Take the old copy out first: its destruction closes its sticker, which must not find
  // itself still installed.
  std::unique_ptr<TDataObject> old = std::move(preview());
  preview() = std::move(p);
  old.reset();
}

bool DemoMode() { return demoMode; }
void SetDemoMode(bool on) { demoMode = on; }
