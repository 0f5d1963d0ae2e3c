#pragma once

#include "platform/MessageHub.h"

#include <QObject>

#include <vector>

// A hub window that records the messages it receives and answers each with `reply`.
class RecordingWindow : public QObject {
public:
  struct Received {
    uint message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Received> received;
  intptr_t reply = 0;
  const WindowHandle handle = hub().registerWindow(this);

  bool event(QEvent *e) override {
    HubEvent *h = HubEvent::cast(e);
    if (!h)
      return QObject::event(e);
    received.push_back({h->message(), h->wParam(), h->lParam()});
    h->setResult(reply);
    return true;
  }
};
