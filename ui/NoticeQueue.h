#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>

// The program's notices (a failed save, a reminder file another program changed, a file that
// cannot be read), shown one box at a time by the event loop once the step that raised them has
// returned. Nothing waits for the user: while a box is open the reminders go on being checked, and
// the next notice shows after the user closed the one before. So a notice raised inside the
// reminder check or in model code never runs an event loop there, and the check is never entered
// again from inside itself. The boxes are the prompts' (uiPrompts().openNotice). GUI thread only.
class TNoticeQueue final : public QObject {
  Q_OBJECT
public:
  explicit TNoticeQueue(QObject *parent = nullptr);
  // An open box goes with the queue.
  ~TNoticeQueue() override;
  TNoticeQueue(const TNoticeQueue &) = delete;
  TNoticeQueue &operator=(const TNoticeQueue &) = delete;

  // Queues the notice: it shows when the event loop runs next, after those before it closed.
  void Add(const QString &text);
  // Shows nothing until Release: the program's start holds its notices back until it is up (its
  // tray icon, its hand-over socket, its reminders), also through the pumps inside the start.
  void Hold() { m_held = true; }
  void Release();
  // For the end, when no event loop will show them any more (after the message loop, or a start
  // that never ran one): a box still open is closed (the user has seen it), then every notice not
  // yet shown is shown, one after the other, each waited for. QCoreApplication::exit() meanwhile
  // closes the box and drops the rest.
  void ShowWaiting();

  // A box is open.
  [[nodiscard]] bool Showing() const { return m_showing; }
  // Notices queued and not yet shown.
  [[nodiscard]] qsizetype Waiting() const { return static_cast<qsizetype>(m_waiting.size()); }

private:
  void post();
  void showNext();
  void closed(uint64_t box);

  std::deque<QString> m_waiting;
  bool m_showing = false;
  bool m_posted = false;
  bool m_held = false;
  bool m_ending = false;
  // Counts the boxes shown: a close is taken only from the box open now.
  uint64_t m_boxes = 0;
  QPointer<QWidget> m_box;
};
