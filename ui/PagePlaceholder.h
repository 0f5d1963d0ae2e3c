#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// Stands in the main window for a page that is not built yet: an empty frame of the page's name
// (so its language section exists) with every page call doing nothing and no row selected.
class TPagePlaceholder : public QWidget {
  Q_OBJECT
public:
  TPagePlaceholder(const QString &frameName, QWidget *parent);

  void LoadOptions() {}
  void SaveOptions() {}
  void Init() {}
  void Translate() {}
  void FocusList() {}
  void FillList() {}
  void SelectById(const QString &) {}
  void RefreshById(const QString &) {}
  void GetSelectedIds(QStringList *ids) {
    if (ids)
      ids->clear();
  }
  void Apply() {}
  void Activate() {}
  void Done() {}
};
