#include "ui/ReportErrors.h"

#include "platform/Errors.h"
#include "ui/UiPrompts.h"

bool RunReported(const std::function<void()> &f) {
  try {
    f();
    return true;
  } catch (const EAbort &) {
    return false;
  } catch (const ETolvaneError &e) {
    uiPrompts().error(e.message(), QString());
    return false;
  }
}
