#include "ui/PagePlaceholder.h"

#include "widgets/FormLanguageFile.h"

TPagePlaceholder::TPagePlaceholder(const QString &frameName, QWidget *parent) : QWidget(parent) {
  setObjectName(frameName);
  MarkAsLanguageFrame(this);
}
