#pragma once

#include <QCheckBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

// What the main window asks of its three pages. A page is any widget class with the member
// functions named below; the main window places it with one line, e.g.
//   m_log = LogPageOf(new TFrameLog(ui, this));
// and then only calls through these records, so it needs to know nothing else of the page.

// The "Reminders" page (FrameReminder).
struct TReminderPage {
  QWidget *widget = nullptr;
  std::function<void()> LoadOptions, SaveOptions, Init, Translate, FocusList, FillList;
  std::function<void(const QString &id)> SelectById, RefreshById;
  // The ids of the selected rows, in row order.
  std::function<void(QStringList *ids)> GetSelectedIds;
  // How much wider the list must be to show every column whole.
  std::function<int()> MissingListWidth;
};

// The "Options" page (FrameMix).
struct TOptionsPage {
  QWidget *widget = nullptr;
  std::function<void()> LoadOptions, Apply;
  // Ticks or clears its "Hide icon in tray" box.
  std::function<void(bool checked)> SetHideTrayIconChecked;
};

// The "Log" page (FrameLog).
struct TLogPage {
  QWidget *widget = nullptr;
  std::function<void()> LoadOptions, SaveOptions, Init, Activate, Done, Translate;
};

template <class Frame> TReminderPage ReminderPageOf(Frame *f) {
  return {f,
          [f] { f->LoadOptions(); },
          [f] { f->SaveOptions(); },
          [f] { f->Init(); },
          [f] { f->Translate(); },
          [f] { f->FocusList(); },
          [f] { f->FillList(); },
          [f](const QString &id) { f->SelectById(id); },
          [f](const QString &id) { f->RefreshById(id); },
          [f](QStringList *ids) { f->GetSelectedIds(ids); },
          [f] { return f->MissingListWidth(); }};
}

template <class Frame> TOptionsPage OptionsPageOf(Frame *f) {
  return {f, [f] { f->LoadOptions(); }, [f] { f->Apply(); },
          [f](bool checked) {
            if (auto *box =
                    f->template findChild<QCheckBox *>(QStringLiteral("CheckBoxHideTrayIcon")))
              box->setChecked(checked);
          }};
}

template <class Frame> TLogPage LogPageOf(Frame *f) {
  return {f,
          [f] { f->LoadOptions(); },
          [f] { f->SaveOptions(); },
          [f] { f->Init(); },
          [f] { f->Activate(); },
          [f] { f->Done(); },
          [f] { f->Translate(); }};
}
