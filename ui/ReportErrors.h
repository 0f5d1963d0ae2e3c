#pragma once

#include <functional>
#include <utility>

// The boundary of a handler in the user interface. Files, pictures, sounds and mail raise the
// program's own errors (ETolvaneError); a handler run through RunReported shows such an error in
// the prompts' error box and the program goes on. EAbort ends the handler silently. Anything else
// is a fault of the program and goes on to the application's last-resort handler.
//
// Gives true when f returned normally.
bool RunReported(const std::function<void()> &f);

// A slot without arguments for connect() that runs f through RunReported:
//   connect(button, &QPushButton::clicked, this, Reported([this] { LoadFile(); }));
// A slot that needs the signal's arguments calls RunReported itself.
template <class F> auto Reported(F f) {
  return [f = std::move(f)] { RunReported(f); };
}
