#include "platform/Guid.h"

#include <QUuid>

QString CreateGuidText() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }
