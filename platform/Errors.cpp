#include "platform/Errors.h"

#include <QMutex>

#include <cstdio>
#include <exception>

ETolvaneError::ETolvaneError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

EReadError::EReadError() : ETolvaneError(QStringLiteral("Stream read error")) {}

EAbort::EAbort() : ETolvaneError(QStringLiteral("Operation aborted")) {}

namespace errors {
namespace {

QMutex &lock() {
  static QMutex m;
  return m;
}

// The ones the program installed; a scoped replacement stands in front of them.
Reporter &installedInfoReporter() {
  static Reporter r;
  return r;
}

Reporter &installedExceptionHandler() {
  static Reporter r;
  return r;
}

void writeToStderr(const QString &text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

OverrideSlot<Reporter> &infoReporterSlot() {
  static constinit OverrideSlot<Reporter> slot{&installedInfoReporter};
  return slot;
}

OverrideSlot<Reporter> &exceptionHandlerSlot() {
  static constinit OverrideSlot<Reporter> slot{&installedExceptionHandler};
  return slot;
}

void setInfoReporter(Reporter reporter) {
  QMutexLocker l(&lock());
  installedInfoReporter() = std::move(reporter);
}

void reportInfo(const QString &message) {
  Reporter r;
  {
    QMutexLocker l(&lock());
    r = infoReporterSlot().get();
  }
  if (r)
    r(message);
  else
    writeToStderr(message);
}

void setExceptionHandler(Reporter handler) {
  QMutexLocker l(&lock());
  installedExceptionHandler() = std::move(handler);
}

QString describeCurrentException() {
  try {
    throw;
  } catch (const ETolvaneError &e) {
    return e.message();
  } catch (const std::exception &e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

bool guardedCall(const std::function<void()> &f) {
  try {
    f();
    return true;
  } catch (const EAbort &) {
    return false;
  } catch (...) {
    const QString text = describeCurrentException();
    Reporter r;
    {
      QMutexLocker l(&lock());
      r = exceptionHandlerSlot().get();
    }
    if (r)
      r(text);
    else
      writeToStderr(text);
    return false;
  }
}

} // namespace errors

void NotImplemented() {
  errors::reportInfo(QStringLiteral("Function not yet implemented"));
  throw EAbort();
}
