#pragma once

#include "platform/MessageHub.h"
#include "ui/FormBounds.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class TModel;

// What every window of the user interface shares, attached to the window (a QMainWindow, QDialog
// or plain widget) as a helper it owns:
//  - a hub handle, so the windows below can send and post it messages;
//  - while shown, an entry in the model's NotifyWindows under the window's object name, and the
//    answer to WM_REFRESH_CONTROLS: RefreshControlTree of the window;
//  - the captions of the language file the model's settings name, applied to the window and its
//    frames each time it is shown (and by ApplyLanguage);
//  - its bounds kept in the model's MainSettings under its name (RestoreBounds, SaveBounds);
//  - F1 opens the program's help at the window's help context (OpenProgramHelp: the user is told
//    where the help file is when it cannot be shown).
// Message handlers run through RunReported: an error they raise is shown, not passed on.
class THubForm : public QObject {
  Q_OBJECT
public:
  using Handler = std::function<intptr_t(uintptr_t wParam, intptr_t lParam)>;

  // The model is the window's: it outlives the window.
  THubForm(QWidget *form, TModel &model);
  ~THubForm() override;

  [[nodiscard]] QWidget *form() const { return m_form; }
  [[nodiscard]] WindowHandle handle() const { return m_handle; }
  [[nodiscard]] TModel &model() const { return m_model; }

  // Whether the window enters NotifyWindows while shown (on unless switched off before showing).
  void setNotify(bool on) { m_notify = on; }
  // Whether the language file is applied each time the window is shown (on unless switched off;
  // a window that is not translated, or that translates at a point of its own, switches it off).
  void setTranslateOnShow(bool on) { m_translateOnShow = on; }
  // Answers a hub message; a second handler for the same message replaces the first.
  void onMessage(uint message, Handler handler);

  // A frame inside the window that takes the language file's captions with the window; the frame
  // is marked as a language frame (its captions have a section of their own).
  void addLanguageFrame(QWidget *frame);
  // Applies the current language file (GetLanguageFileName) to the window and its frames.
  void ApplyLanguage();

  // The window's bounds in its section (its object name) of MainSettings, always on a screen.
  void RestoreBounds(TBoundsKeys keys);
  void SaveBounds() const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void shown();
  void hidden();
  void help();

  QWidget *m_form;
  TModel &m_model;
  WindowHandle m_handle = 0;
  bool m_notify = true;
  bool m_translateOnShow = true;
  bool m_registered = false;
  QHash<uint, Handler> m_handlers;
  QList<QPointer<QWidget>> m_frames;
};
