#pragma once

#include "platform/ScopedOverride.h"

#include <QString>

#include <functional>
#include <stdexcept>

// The root of the program's own errors. The message is kept as text for the user; what() gives
// the same text in UTF-8.
class ETolvaneError : public std::runtime_error {
public:
  explicit ETolvaneError(const QString &message);
  [[nodiscard]] QString message() const { return m_message; }

private:
  QString m_message;
};

// A picture's data is not what its format allows.
class EInvalidGraphic : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// A picture operation cannot be done (for example a frame index out of range, or writing fails).
class EInvalidGraphicOperation : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// Reading a stream ran short or met bytes that make no sense. The default text is "Stream read
// error".
class EReadError : public ETolvaneError {
public:
  EReadError();
  using ETolvaneError::ETolvaneError;
};

// A text could not be turned into a date, time or number.
class EConvertError : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// A file could not be created, written or replaced.
class EFileError : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// The sound device refused an operation; the text is the device's own.
class EMCIDeviceError : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// A system resource ran out (for example no timer could be set).
class EOutOfResources : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// Ends the current operation silently: the boundary guard never shows it.
class EAbort : public ETolvaneError {
public:
  EAbort();
};

// Shows "Function not yet implemented" through the information reporter, then raises EAbort.
[[noreturn]] void NotImplemented();

// The boundary of the event loop. No exception may leave an event handler; whatever one throws is
// handed to the exception handler, which shows it. EAbort is swallowed silently.
namespace errors {

using Reporter = std::function<void(const QString &message)>;

// Where information texts ("Function not yet implemented") go: the reporter the program installs
// at start-up (none: standard error), or the one a ScopedInfoReporter puts in for a while.
void setInfoReporter(Reporter reporter);
void reportInfo(const QString &message);
[[nodiscard]] OverrideSlot<Reporter> &infoReporterSlot();
// Tests record the information texts with one of these; it puts the installed reporter back when it
// goes out of scope, also when an assertion ends the test early.
using ScopedInfoReporter = ScopedOverride<&infoReporterSlot>;

// Where escaped exceptions go: the handler the program installs (none: standard error), or the one
// a ScopedExceptionHandler puts in for a while.
void setExceptionHandler(Reporter handler);
[[nodiscard]] OverrideSlot<Reporter> &exceptionHandlerSlot();
using ScopedExceptionHandler = ScopedOverride<&exceptionHandlerSlot>;

// Runs f; an exception it throws is handed to the exception handler (EAbort is ignored).
// Gives true when f returned normally.
bool guardedCall(const std::function<void()> &f);

// The text the handler shows for an exception caught as std::exception or as anything else.
QString describeCurrentException();

} // namespace errors
