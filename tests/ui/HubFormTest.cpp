#include "ui/HubForm.h"
#include "model/NotifyWindows.h"
#include "platform/Errors.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"

#include <QDialog>

#include <algorithm>

namespace {
bool listed(TModel &model, WindowHandle h) {
  const auto &list = model.NotifyWindows();
  return std::any_of(list.begin(), list.end(), [h](const auto &e) { return e.second == h; });
}
} // namespace

TEST(HubForm, ShownFormIsListedAndAnswersItsMessages) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  TestModel test;
  QDialog form;
  form.setObjectName("FormAbout");
  auto *hubForm = new THubForm(&form, test.model);
  hubForm->onMessage(msg::WM_SELECT_REMINDER,
                     [](uintptr_t w, intptr_t) { return intptr_t(w * 2); });
  hubForm->onMessage(msg::WM_REMINDER_UPDATED, [](uintptr_t, intptr_t) -> intptr_t {
    throw EFileError("Sorry, can't save file!");
  });
  const WindowHandle h = hubForm->handle();
  ASSERT_NE(h, 0u);
  EXPECT_FALSE(listed(test.model, h));

  form.show();
  EXPECT_TRUE(listed(test.model, h));
  EXPECT_EQ(hub().send(h, msg::WM_SELECT_REMINDER, 21), 42);
  EXPECT_EQ(hub().send(h, msg::WM_REMINDER_UPDATED, 1), 0);
  EXPECT_EQ(fake.shown, QStringList({"error: Sorry, can't save file!"}));

  form.hide();
  EXPECT_FALSE(listed(test.model, h));
}
