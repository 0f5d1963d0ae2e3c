#pragma once

#include "platform/Errors.h"

// An index outside a list: "List index out of bounds (%d)".
class EListError : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
  [[nodiscard]] static EListError indexOutOfBounds(int index) {
    return EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  }
};
