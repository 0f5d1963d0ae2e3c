#include "runtime/FiringTable.h"

#include "platform/Clock.h"

TFiringTable::~TFiringTable() {
  for (auto &[id, entry] : m_entries) {
    entry->trayIcon.reset();
    entry->sticker.reset();
    entry->sound.reset();
  }
}

TFiring *TFiringTable::Find(const QString &id) {
  // Most checks are of reminders that never fired, and often nothing has: no need to hash.
  if (m_entries.empty())
    return nullptr;
  const auto it = m_entries.find(id);
  return it == m_entries.end() ? nullptr : it->second.get();
}

const TFiring *TFiringTable::Find(const QString &id) const {
  if (m_entries.empty())
    return nullptr;
  const auto it = m_entries.find(id);
  return it == m_entries.end() ? nullptr : it->second.get();
}

TFiring &TFiringTable::Get(const QString &id) {
  std::unique_ptr<TFiring> &entry = m_entries[id];
  if (!entry)
    entry = std::make_unique<TFiring>();
  return *entry;
}

const TFiringState &TFiringTable::StateOf(const QString &id) const {
  const TFiring *entry = Find(id);
  return entry ? entry->state : TFiringState::Idle();
}

QStringList TFiringTable::Ids() const {
  QStringList ids;
  ids.reserve(static_cast<qsizetype>(m_entries.size()));
  for (const auto &[id, entry] : m_entries)
    ids << id;
  return ids;
}

void TFiringTable::HideTrayIcon(const QString &id) {
  if (TFiring *entry = Find(id))
    if (std::unique_ptr<ITrayIconView> icon = std::move(entry->trayIcon))
      icon->deactivate();
}

void TFiringTable::CloseSticker(const QString &id) {
  if (TFiring *entry = Find(id))
    if (std::unique_ptr<IStickerView> window = std::move(entry->sticker))
      window->close();
}

void TFiringTable::StopSound(const QString &id) {
  TFiring *entry = Find(id);
  if (!entry || !entry->sound)
    return;
  std::unique_ptr<ISoundPlayer> player = std::move(entry->sound);
  entry->soundStopTime = currentClock().now();
  entry->soundStopTick = currentClock().tickCount();
  player.reset();
}

void TFiringTable::ReleaseOutputs(const QString &id) {
  HideTrayIcon(id);
  CloseSticker(id);
  StopSound(id);
}

void TFiringTable::ReleaseAllOutputs() {
  for (const QString &id : Ids())
    ReleaseOutputs(id);
}

int TFiringTable::DropUnknown(const std::function<bool(const QString &id)> &known) {
  QStringList gone;
  for (const auto &[id, entry] : m_entries)
    if (!known(id))
      gone << id;
  // Released first, then taken out: an output may look at the table while it goes.
  for (const QString &id : gone) {
    ReleaseOutputs(id);
    m_entries.erase(id);
    ++m_generation;
  }
  return static_cast<int>(gone.size());
}
