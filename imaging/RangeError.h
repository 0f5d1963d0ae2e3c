#pragma once

#include "platform/Errors.h"

// An index or size outside what a picture can hold: "Range check error".
class ERangeError : public ETolvaneError {
public:
  ERangeError() : ETolvaneError(QStringLiteral("Range check error")) {}
  using ETolvaneError::ETolvaneError;
};
