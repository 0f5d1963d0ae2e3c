#include "imaging/IconList.h"

#include "imaging/ByteIO.h"
#include "imaging/ListError.h"

#include <QFile>

namespace {

// Runs f inside one update of the list. The closing EndUpdate also runs when f throws; it is not
// left to a destructor, since the change notification it raises may itself throw.
template <class F> void inOneUpdate(TIconList &list, F &&f) {
  list.BeginUpdate();
  try {
    f();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

std::unique_ptr<TIcon> copyOf(const TIcon *icon) {
  auto copy = std::make_unique<TIcon>();
  if (icon)
    copy->assign(icon);
  return copy;
}

std::unique_ptr<TIcon> loadResource(const QString &resourceName) {
  auto icon = std::make_unique<TIcon>();
  icon->loadFromFile(resourceName);
  return icon;
}

} // namespace

TIconList::~TIconList() {
  onChange = nullptr;
  for (auto &icon : m_items)
    if (icon)
      icon->onChange = nullptr;
}

void TIconList::checkIndex(int index) const {
  if (index < 0 || index >= GetCount())
    throw EListError::indexOutOfBounds(index);
}

void TIconList::bind(TIcon &icon) {
  icon.onChange = [this] { Changed(); };
}

void TIconList::insertOwned(int index, std::unique_ptr<TIcon> icon) {
  if (icon)
    bind(*icon);
  m_items.insert(m_items.begin() + index, std::move(icon));
}

TIcon *TIconList::Get(int index) const {
  checkIndex(index);
  return m_items[std::size_t(index)].get();
}

void TIconList::Put(int index, const TIcon *icon) {
  inOneUpdate(*this, [&] {
    if (index == GetCount())
      insertOwned(GetCount(), std::make_unique<TIcon>());
    checkIndex(index);
    auto &slot = m_items[std::size_t(index)];
    if (!slot) {
      slot = std::make_unique<TIcon>();
      bind(*slot);
    }
    slot->assign(icon);
    Changed();
  });
}

int TIconList::Add(const TIcon *icon) {
  insertOwned(GetCount(), copyOf(icon));
  Changed();
  return GetCount() - 1;
}

int TIconList::AddResource(const QString &resourceName) {
  insertOwned(GetCount(), loadResource(resourceName));
  Changed();
  return GetCount() - 1;
}

void TIconList::Assign(const TGraphic *source) {
  if (!source) {
    Clear();
    return;
  }
  if (source == this)
    return; // clearing first would lose every entry
  if (const auto *list = dynamic_cast<const TIconList *>(source)) {
    // Copies are taken before this list is cleared: the source may be one of our own icons'
    // owners, and its entries must not be freed before they are read.
    std::vector<std::unique_ptr<TIcon>> copies;
    copies.reserve(list->m_items.size());
    for (const auto &icon : list->m_items)
      copies.push_back(copyOf(icon.get()));
    inOneUpdate(*this, [&] {
      Clear();
      for (auto &copy : copies) {
        insertOwned(GetCount(), std::move(copy));
        Changed();
      }
    });
    return;
  }
  if (const auto *icon = dynamic_cast<const TIcon *>(source)) {
    // An icon of this very list: copy it before Clear frees it.
    auto copy = copyOf(icon);
    inOneUpdate(*this, [&] {
      Clear();
      insertOwned(0, std::move(copy));
      Changed();
    });
    return;
  }
  RaiseAssignError(source->typeName(), typeName());
}

void TIconList::Clear() {
  inOneUpdate(*this, [&] {
    for (int i = GetCount() - 1; i >= 0; --i)
      Delete(i);
  });
}

void TIconList::Delete(int index) {
  checkIndex(index);
  auto &slot = m_items[std::size_t(index)];
  if (slot)
    slot->onChange = nullptr;
  m_items.erase(m_items.begin() + index);
  Changed();
}

void TIconList::Exchange(int index1, int index2) {
  checkIndex(index1);
  checkIndex(index2);
  std::swap(m_items[std::size_t(index1)], m_items[std::size_t(index2)]);
  Changed();
}

int TIconList::IndexOf(const TIcon *icon) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_items[std::size_t(i)].get() == icon)
      return i;
  return -1;
}

void TIconList::Insert(int index, const TIcon *icon) {
  if (index < 0 || index > GetCount())
    throw EListError::indexOutOfBounds(index);
  insertOwned(index, copyOf(icon));
  Changed();
}

void TIconList::InsertResource(int index, const QString &resourceName) {
  if (index < 0 || index > GetCount())
    throw EListError::indexOutOfBounds(index);
  insertOwned(index, loadResource(resourceName));
  Changed();
}

void TIconList::Move(int currentIndex, int newIndex) {
  checkIndex(currentIndex);
  checkIndex(newIndex);
  auto icon = std::move(m_items[std::size_t(currentIndex)]);
  m_items.erase(m_items.begin() + currentIndex);
  m_items.insert(m_items.begin() + newIndex, std::move(icon));
  Changed();
}

void TIconList::EndUpdate() {
  if (m_updateCount == 0)
    return;
  if (--m_updateCount == 0)
    Changed();
}

void TIconList::Changed() {
  if (m_updateCount == 0)
    changed();
}

void TIconList::LoadFromStream(QIODevice &stream) {
  inOneUpdate(*this, [&] {
    Clear();
    const std::int32_t count = byteio::readI32(stream);
    // Each entry takes at least its four size bytes, so a count larger than the data ends in a
    // read error long before it could run 2^31 times.
    for (std::int32_t i = 0; i < count; ++i) {
      const std::int32_t size = byteio::readI32(stream);
      if (size <= 0) {
        m_items.push_back(nullptr);
        continue;
      }
      // The size is checked against what the stream holds before anything is allocated.
      const QByteArray bytes = byteio::readExact(stream, size);
      auto icon = std::make_unique<TIcon>();
      icon->loadFromBytes(bytes);
      insertOwned(GetCount(), std::move(icon));
    }
  });
}

void TIconList::SaveToStream(QIODevice &stream) const {
  QByteArray out;
  byteio::putI32(out, GetCount());
  for (const auto &icon : m_items) {
    if (!icon || icon->empty()) {
      byteio::putI32(out, 0);
      continue;
    }
    const QByteArray bytes = icon->icoBytes();
    byteio::putI32(out, std::int32_t(bytes.size()));
    out.append(bytes);
  }
  byteio::writeAll(stream, out);
}

const TIcon *TIconList::firstShown() const {
  for (const auto &icon : m_items)
    if (icon && !icon->empty())
      return icon.get();
  return nullptr;
}

int TIconList::width() const {
  const TIcon *icon = firstShown();
  return icon ? icon->width() : 0;
}

int TIconList::height() const {
  const TIcon *icon = firstShown();
  return icon ? icon->height() : 0;
}

void TIconList::draw(QPainter &painter, const QRect &rect) const {
  if (const TIcon *icon = firstShown())
    icon->draw(painter, rect);
}

std::unique_ptr<TGraphic> TIconList::clone() const {
  auto copy = std::make_unique<TIconList>();
  copy->Assign(this);
  return copy;
}
