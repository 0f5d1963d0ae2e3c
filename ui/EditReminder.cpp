#include "ui/EditReminder.h"

#include "model/DataObject.h"
#include "model/Model.h"
#include "model/ReminderList.h"
#include "ui/FormEditReminder.h"
#include "ui/FormMain.h"
#include "widgets/WindowHelpers.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QWindow>

#include <memory>

namespace {

// Modal to the main window only: while the editor is open, the main window's list cannot delete,
// archive or copy the reminder being edited (Ok then saved into a copy that had gone to the
// trash). Stickers, the tray and the main window's own dialogs are other windows and keep working.
// The main window is the editor's transient parent, not its parent: it may be closed from the
// tray meanwhile, and must not take the editor with it.
void makeModalToMainWindow(TFormEditReminder &form) {
  TFormMain *main = TFormMain::Instance();
  if (!main || !main->isVisible() || !main->windowHandle())
    return;
  form.setWindowModality(Qt::WindowModal);
  (void)form.winId();
  if (QWindow *native = form.windowHandle())
    native->setTransientParent(main->windowHandle());
}

} // namespace

bool EditReminder(TModel &model, IUserInterface &ui, int /*listPosition*/, QString &id,
                  int defaultRepeatType) {
  if (TFormEditReminder *open = TFormEditReminder::Current()) {
    BringWindowForward(open, true);
    return false;
  }
  // An id that has gone (a log line of a deleted reminder) opens nothing.
  if (id != NewReminderId && !model.Reminders().FindById(id))
    return false;

  auto form = std::make_unique<TFormEditReminder>(model, ui, id, defaultRepeatType);
  const auto cleanup = qScopeGuard([&model, &form] {
    PostReminderChanged(model, form->ReminderId());
    form.reset();
  });
  makeModalToMainWindow(*form);
  form->show();
  form->LoadReminder();
  // A local loop, not exec(): a dialog without a parent would be modal to the whole application
  // and block the stickers, the preview sticker among them.
  QEventLoop loop;
  QObject::connect(form.get(), &QDialog::finished, &loop, &QEventLoop::quit);
  if (!form->Closed())
    (void)loop.exec();
  if (!form->Closed()) {
    // The loop ended without the editor: the application is ending (QCoreApplication::exit).
    form->CloseForShutDown();
    return false;
  }
  id = form->ReminderId();
  return form->result() == QDialog::Accepted;
}

void SetEditorModified() {
  if (TFormEditReminder *open = TFormEditReminder::Current())
    open->SetModified();
}
