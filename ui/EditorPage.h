#pragma once

#include <QComboBox>

class QWidget;
class TDataObject;

// A page of the reminder editor (the Timetable, Sticker, Mail and Program tabs): a widget that the
// editor places on its tab and drives through these steps.
//
//   editor created  -> LoadOptions()                 (the page's own settings)
//   editor loads    -> LoadFromReminder(id)          (after the Main page is filled; by then the
//                                                     editor has stopped the reminder's live
//                                                     outputs and installed PreviewReminder)
//   Ok              -> CheckBeforeSave()             (every page; one that says no keeps the
//                                                     editor open)
//                      SaveToReminder(reminder)      (Timetable with the Main page, the others
//                      SavePictures(reminder)         after the icon: Sticker, Mail, Program)
//   "Apply", a click of the sticker switch
//                   -> SaveToReminder(model.PreviewReminder()) of the Timetable page, then
//                      PreviewChanged() of every page
//   editor closes   -> SaveOptions()
//
// A page marks the editor modified through TFormEditReminder::SetModified(), which does nothing
// while the editor is loading; its change handlers may run freely during a load. A page never
// keeps a TDataObject* beyond one call: the editor's event loop may re-read every reminder.
class IEditorPage {
public:
  virtual ~IEditorPage() = default;

  // The page's widget; the editor puts it on the tab, filling it.
  [[nodiscard]] virtual QWidget *Widget() = 0;
  // Whether the page's captions have a language section of their own (the Sticker, Mail and
  // Program frames). A page that is not a frame is translated, and exported by "Make lng", in the
  // editor's own section.
  [[nodiscard]] virtual bool IsLanguageFrame() const = 0;

  virtual void LoadOptions() = 0;
  virtual void SaveOptions() = 0;
  // Fills the page from the reminder with the id, or from the model's NewReminderTemplate() for
  // "new".
  virtual void LoadFromReminder(const QString &id) = 0;
  // Writes the page into the reminder's fields (not into the store).
  virtual void SaveToReminder(TDataObject &reminder) = 0;

  // On Ok, before any page is saved: false when the page holds what cannot be saved (an address
  // that is no address); the page has then told the user why and put the focus on the field.
  [[nodiscard]] virtual bool CheckBeforeSave() { return true; }
  // On Ok only, after SaveToReminder: writes what the page keeps in the reminder's store item
  // beside its fields (the sticker's pictures).
  virtual void SavePictures(const TDataObject &reminder) { (void)reminder; }
  // The editor wrote the Main page into the model's PreviewReminder(): a page that shows the
  // preview refreshes it.
  virtual void PreviewChanged() {}
  // CheckBoxEnable changed (also while loading).
  virtual void EnabledChanged(bool enabled) { (void)enabled; }
};

// Selects the entry of a list whose index is a stored code. A code that names no entry (a damaged
// or newer file) selects the first entry, so saving writes back a valid code, never -1.
inline void SelectListCode(QComboBox &list, int code) {
  list.setCurrentIndex(code >= 0 && code < list.count() ? code : 0);
}
