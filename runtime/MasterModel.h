#pragma once

#include <QString>

#include <vector>

// What the master window asks of the reminder model: the store, the reminder list, the
// new-reminder template and demo mode. Reminders are named by run-time number or id, never held.
class IMasterModel {
public:
  virtual ~IMasterModel() = default;

  // Opens the store from its file and loads every reminder again (the old objects are freed).
  virtual void OpenStore() = 0;
  // Reads the reminder with that number again from the store, keeping its number.
  virtual void RefreshReminder(int number) = 0;
  // Deletes that reminder, or with 0 the pending list, through the model's delete command (which
  // saves the store and tells the model's listener); whether anything changed.
  [[nodiscard]] virtual bool DeleteReminders(int number) = 0;

  // A reminder offered in the "Add as" menus.
  struct TemplateEntry {
    QString subject;
    QString id;
  };
  // The reminders flagged as templates ("default"), in list order.
  [[nodiscard]] virtual std::vector<TemplateEntry> DefaultReminders() const = 0;
  // Makes the new-reminder template a copy of the stored reminder with that id: its subject with
  // the prefix in front, not flagged as a template. False (and nothing changed) when no reminder
  // of the list has that id.
  [[nodiscard]] virtual bool CopyToNewReminderTemplate(const QString &id,
                                                       const QString &subjectPrefix) = 0;
  // The new-reminder template with every default again.
  virtual void ResetNewReminderTemplate() = 0;
  [[nodiscard]] virtual bool DemoMode() const = 0;
};
