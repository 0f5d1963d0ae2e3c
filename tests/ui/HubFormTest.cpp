#include "ui/HubForm.h"
#include "model/NotifyWindows.h"
#include "platform/Errors.h"
#include "tests/ui/FakePrompts.h"

#include <QDialog>

#include <algorithm>

namespace {
bool listed(WindowHandle h) {
  const auto &list = NotifyWindows();
  return std::any_of(list.begin(), list.end(), [h](const auto &e) { return e.second == h; });
}
} // namespace

TEST(HubForm, ShownFormIsListedAndAnswersItsMessages) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  QDialog form;
  form.setObjectName("FormAbout");
  auto *hubForm = new THubForm(&form);
  hubForm->onMessage(msg::WM_SELECT_REMINDER,
                     [](uintptr_t w, intptr_t) { return intptr_t(w * 2); });
  hubForm->onMessage(msg::WM_REMINDER_UPDATED, [](uintptr_t, intptr_t) -> intptr_t {
    throw EFileError("Sorry, can't save file!");
  });
  const WindowHandle h = hubForm->handle();
  ASSERT_NE(h, 0u);
  EXPECT_FALSE(listed(h));

  form.show();
  EXPECT_TRUE(listed(h));
  EXPECT_EQ(hub().send(h, msg::WM_SELECT_REMINDER, 21), 42);
  EXPECT_EQ(hub().send(h, msg::WM_REMINDER_UPDATED, 1), 0);
  EXPECT_EQ(fake.shown, QStringList({"error: Sorry, can't save file!"}));

  form.hide();
  EXPECT_FALSE(listed(h));
}
