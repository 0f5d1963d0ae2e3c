#include "runtime/StickerView.h"

#include "runtime/FormSticker.h"
#include "widgets/WindowHelpers.h"

TStickerView::TStickerView(TModel &model, IUserInterface &ui)
    : m_window(new TFormSticker(model, ui)) {}

TStickerView::~TStickerView() { release(); }

std::unique_ptr<TStickerView> TStickerView::Show(TModel &model, IUserInterface &ui,
                                                 TReminderLookup reminder,
                                                 const TFiringState &firing, WindowHandle owner,
                                                 const TStickerPopup &popup) {
  auto view = std::make_unique<TStickerView>(model, ui);
  view->window()->ShowReminder(owner, std::move(reminder), firing, nullptr, nullptr, popup);
  return view;
}

void TStickerView::Raise() {
  if (!m_window || m_window->isHidden())
    return;
  // Raise only: this runs whenever the program loses the focus, and activating the sticker here
  // would take the focus back from whatever window the user just went to.
  m_window->raise();
  RaiseDialogsKeptAbove(); // the dialog the user answers stays in front
}

void TStickerView::close() {
  if (m_window)
    m_window->close();
  release();
}

void TStickerView::release() {
  // The window may be running one of its own handlers further up the stack: it is only hidden
  // here and deleted when control is back in the event loop.
  if (TFormSticker *window = m_window.data()) {
    m_window = nullptr;
    window->ReleaseReminder();
    window->hide();
    window->deleteLater();
  }
}
