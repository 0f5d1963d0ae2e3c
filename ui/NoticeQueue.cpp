#include "ui/NoticeQueue.h"

#include "ui/UiPrompts.h"

#include <QEventLoop>

TNoticeQueue::TNoticeQueue(QObject *parent) : QObject(parent) {}

TNoticeQueue::~TNoticeQueue() {
  m_ending = true;
  delete m_box.data();
}

void TNoticeQueue::Add(const QString &text) {
  m_waiting.push_back(text);
  if (!m_showing)
    post();
}

void TNoticeQueue::Release() {
  m_held = false;
  if (!m_showing && !m_waiting.empty())
    post();
}

// Posted, never shown at once: the caller may be the reminder check or a save in the middle of
// a command.
void TNoticeQueue::post() {
  if (m_posted || m_ending || m_held)
    return;
  m_posted = true;
  QMetaObject::invokeMethod(this, &TNoticeQueue::showNext, Qt::QueuedConnection);
}

void TNoticeQueue::showNext() {
  m_posted = false;
  if (m_showing || m_waiting.empty() || m_ending || m_held)
    return;
  const QString text = m_waiting.front();
  m_waiting.pop_front();
  m_showing = true;
  const uint64_t box = ++m_boxes;
  QPointer<TNoticeQueue> self(this);
  QWidget *shown = uiPrompts().openNotice(text, [self, box] {
    if (self)
      self->closed(box);
  });
  // Prompts that do not keep a box open have closed it already.
  if (m_showing && m_boxes == box)
    m_box = shown;
}

void TNoticeQueue::closed(uint64_t box) {
  if (box != m_boxes || !m_showing)
    return;
  m_showing = false;
  m_box = nullptr;
  if (!m_waiting.empty())
    post();
}

// Each box is shown as the event loop shows them and waited for in a local loop. A loop ended from
// outside (QCoreApplication::exit: a signal while the last notices wait) takes the rest with it.
void TNoticeQueue::ShowWaiting() {
  m_held = false;
  m_ending = true;
  delete m_box.data();
  m_box = nullptr;
  m_showing = false;
  while (!m_waiting.empty()) {
    const QString text = m_waiting.front();
    m_waiting.pop_front();
    m_showing = true;
    const uint64_t box = ++m_boxes;
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QPointer<TNoticeQueue> self(this);
    QWidget *shown = uiPrompts().openNotice(text, [self, box, waiting] {
      if (self)
        self->closed(box);
      if (waiting)
        waiting->quit();
    });
    if (m_showing && m_boxes == box) {
      m_box = shown;
      loop.exec(QEventLoop::DialogExec);
    }
    if (m_showing) {
      delete m_box.data();
      m_box = nullptr;
      m_showing = false;
      m_waiting.clear();
    }
  }
  m_ending = false;
}
