#include "runtime/StickerView.h"

#include "runtime/FormSticker.h"

TStickerView::TStickerView() : m_window(new TFormSticker()) {}

TStickerView::~TStickerView() { release(); }

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
