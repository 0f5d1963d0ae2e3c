#include "app/MasterReminderOutputs.h"

#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "model/DataObjectStore.h"
#include "model/ReminderTexts.h"
#include "runtime/FormMaster.h"
#include "runtime/FormSticker.h"
#include "runtime/ReminderSoundPlayer.h"
#include "runtime/StickerView.h"
#include "widgets/TrayIconUnit.h"

namespace {

// A firing reminder's own tray icon. The icon may be inside one of its own mouse handlers when
// the firing ends (the popup's "Close"), so it is taken out of the area at once and deleted from
// the event loop.
class TReminderTrayIcon final : public ITrayIconView {
public:
  explicit TReminderTrayIcon(TTrayIcon *icon) : m_icon(icon) {}
  ~TReminderTrayIcon() override {
    deactivate();
    if (m_icon)
      m_icon->deleteLater();
  }
  TReminderTrayIcon(const TReminderTrayIcon &) = delete;
  TReminderTrayIcon &operator=(const TReminderTrayIcon &) = delete;

  void deactivate() override {
    if (m_icon)
      m_icon->SetActive(false);
  }

private:
  QPointer<TTrayIcon> m_icon;
};

} // namespace

TMasterReminderOutputs::TMasterReminderOutputs(TModel &model, TFormMaster &master,
                                               IUserInterface &ui)
    : m_model(model), m_master(&master), m_ui(ui) {}

std::unique_ptr<IStickerView> TMasterReminderOutputs::CreateSticker(const TReminderLookup &reminder,
                                                                    const TFiringState &firing) {
  if (!m_master)
    return nullptr;
  TStickerPopup popup;
  popup.menu = &m_master->PopupMenuObject();
  popup.setTag = [master = m_master](int32_t number) {
    if (master)
      master->SetPopupMenuObjectTag(number);
  };
  return TStickerView::Show(m_model, m_ui, reminder, firing, m_master->Handle(), popup);
}

std::unique_ptr<ITrayIconView> TMasterReminderOutputs::CreateTrayIcon(const TReminderLookup &find,
                                                                      const TFiringState &firing) {
  const TDataObject *reminder = find ? find() : nullptr;
  if (!m_master || !reminder)
    return nullptr;
  auto *icon = new TTrayIcon(nullptr, false);
  TTrayIconImage image;
  if (LoadTrayIcon(m_model, *reminder, image)) {
    if (image.Animated) {
      icon->SetIcons(dynamic_cast<const TIconList *>(image.Icons.get()));
      icon->SetAnimated(true);
    } else {
      icon->SetIcon(dynamic_cast<const TIcon *>(image.Icon.get()));
    }
  }
  icon->SetPopupMenu(&m_master->PopupMenuObject());
  icon->SetHint(GetHintText(*reminder, firing));
  // The popup acts on the reminder whose icon was pressed, under the number it has now: a store
  // reload gives the reminder a new one while its firing goes on.
  const auto setTag = [master = m_master, find](TTrayIcon *, TMouseButton, TShiftState, int, int) {
    const TDataObject *pressed = find();
    if (master)
      master->SetPopupMenuObjectTag(pressed ? pressed->Number : 0);
  };
  icon->OnMouseDown = setTag;
  icon->OnMouseUp = setTag;
  icon->SetActive(true);
  return std::make_unique<TReminderTrayIcon>(icon);
}

std::unique_ptr<ISoundPlayer> TMasterReminderOutputs::CreateSoundPlayer() {
  return std::make_unique<TReminderSoundPlayer>();
}

void TMasterReminderOutputs::RaiseSticker(IStickerView &sticker) {
  if (auto *view = dynamic_cast<TStickerView *>(&sticker))
    view->Raise();
}
