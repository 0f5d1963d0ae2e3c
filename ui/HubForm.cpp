#include "ui/HubForm.h"

#include "model/Model.h"
#include "model/NotifyWindows.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "ui/ProgramHelp.h"
#include "ui/ReportErrors.h"
#include "widgets/ControlRefresh.h"
#include "widgets/FormLanguageFile.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

THubForm::THubForm(QWidget *form, TModel &model) : QObject(form), m_form(form), m_model(model) {
  m_handle = hub().registerWindow(form);
  form->installEventFilter(this);
  auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), form);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, [this] { help(); });
}

THubForm::~THubForm() {
  // The window's own destruction ends its hub handle; its NotifyWindows entry is ours to remove.
  if (m_registered)
    UnregisterNotifyWindow(m_model, m_handle);
}

void THubForm::onMessage(uint message, Handler handler) {
  m_handlers[message] = std::move(handler); // QHash::insert would copy it
}

void THubForm::addLanguageFrame(QWidget *frame) {
  MarkAsLanguageFrame(frame);
  m_frames << frame;
}

void THubForm::ApplyLanguage() {
  RunReported([this] {
    const QString file = GetLanguageFileName(m_model);
    LoadFormLanguageFile(m_form, file);
    for (const QPointer<QWidget> &frame : std::as_const(m_frames))
      if (frame)
        LoadFormLanguageFile(frame, file);
  });
}

void THubForm::RestoreBounds(TBoundsKeys keys) {
  LoadFormBounds(m_form, m_model.MainSettings(), m_form->objectName(), keys);
}

void THubForm::SaveBounds() const {
  SaveFormBounds(m_form, m_model.MainSettings(), m_form->objectName());
}

void THubForm::shown() {
  if (m_notify && !m_registered) {
    RegisterNotifyWindow(m_model, m_handle, m_form->objectName());
    m_registered = true;
  }
  if (m_translateOnShow)
    ApplyLanguage();
}

void THubForm::hidden() {
  if (m_registered) {
    UnregisterNotifyWindow(m_model, m_handle);
    m_registered = false;
  }
}

void THubForm::help() { (void)OpenProgramHelp(m_form); }

bool THubForm::eventFilter(QObject *watched, QEvent *event) {
  if (watched != m_form)
    return false;
  if (HubEvent *e = HubEvent::cast(event)) {
    if (e->message() == msg::WM_REFRESH_CONTROLS) {
      RefreshControlTree(m_form);
      return true;
    }
    const auto handler = m_handlers.constFind(e->message());
    if (handler == m_handlers.cend())
      return false;
    // A copy: the handler may replace itself while it runs.
    const Handler run = *handler;
    intptr_t result = 0;
    RunReported([&] { result = run(e->wParam(), e->lParam()); });
    e->setResult(result);
    return true;
  }
  switch (event->type()) {
  case QEvent::Show:
    if (!event->spontaneous())
      shown();
    break;
  case QEvent::Hide:
    // A spontaneous hide is the window being minimised; it still counts as shown.
    if (!event->spontaneous())
      hidden();
    break;
  default:
    break;
  }
  return false;
}
