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

Reporter &infoReporter() {
  static Reporter r;
  return r;
}

Reporter &exceptionHandler() {
  static Reporter r;
  return r;
}

void writeToStderr(const QString &text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

void setInfoReporter(Reporter reporter) {
  QMutexLocker l(&lock());
  infoReporter() = std::move(reporter);
}

void reportInfo(const QString &message) {
  Reporter r;
  {
    QMutexLocker l(&lock());
    r = infoReporter();
  }
  if (r)
    r(message);
  else
    writeToStderr(message);
}

void setExceptionHandler(Reporter handler) {
  QMutexLocker l(&lock());
  exceptionHandler() = std::move(handler);
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
      r = exceptionHandler();
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
