#pragma once

#include <memory>

class TDataObject;

// Process-wide values of the model that several layers share. Each sits behind an accessor so
// that a test can set it and put it back.

// The editor's preview copy of the reminder being edited, or null. While it exists, the reminder
// with the same id does not fire (TDataObject::IsEditing).
[[nodiscard]] TDataObject *PreviewReminder();
// Installs a preview copy (the model owns it from here) or, with null, frees the current one.
void SetPreviewReminder(std::unique_ptr<TDataObject> preview);

// Demo mode: every enabled active reminder shows at once, without mail or program.
[[nodiscard]] bool DemoMode();
void SetDemoMode(bool on);
