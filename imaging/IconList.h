#pragma once

#include "imaging/Graphic.h"
#include "imaging/Icon.h"

#include <memory>
#include <vector>

// An ordered list of icons that owns them (an entry may be null: an empty slot), reports every
// change through one notification (onChange) and has a compact stream form:
//
//   int32 N, then N times: int32 S and S bytes of one complete ICO file
//
// (little-endian, no signature). Null and empty icons are written with S = 0 and read back as
// null entries. It holds the frames of a moving tray icon; the store keeps it as that stream
// under the class name "IconList".
//
// Every icon in the list has its change notification bound to the list, so changing an icon in
// place is a change of the list. Changes inside BeginUpdate/EndUpdate are reported once, when
// the outermost EndUpdate runs. An EndUpdate without a BeginUpdate does nothing.
class TIconList : public TGraphic {
public:
  TIconList() = default;
  // Destruction raises no notification.
  ~TIconList() override;
  TIconList(const TIconList &) = delete;
  TIconList &operator=(const TIconList &) = delete;

  // Entry i (null for an empty slot); outside 0..count-1 raises "List index out of bounds (%d)".
  [[nodiscard]] TIcon *Get(int index) const;
  [[nodiscard]] int GetCount() const { return int(m_items.size()); }
  // Entry i becomes a copy of the icon (the icon object at i is kept, its content replaced); at
  // i = count an icon is appended first; an empty slot gets a new icon first. One update.
  void Put(int index, const TIcon *icon);
  // Appends a copy of the icon (null appends an empty icon, not an empty slot); its index.
  int Add(const TIcon *icon);
  // Appends an icon read from an ICO file (a path or a ":/" resource path); its index.
  int AddResource(const QString &resourceName);
  // Null: Clear. A TIconList: its entries copied in order (empty slots become empty icons). A
  // TIcon: the list holds a copy of it alone. Anything else: "Cannot assign a %s to a %s".
  void Assign(const TGraphic *source);
  // Deletes every entry, last to first, in one update.
  void Clear();
  void Delete(int index);
  void Exchange(int index1, int index2);
  // The position of that very icon object (not of an equal one), or -1.
  [[nodiscard]] int IndexOf(const TIcon *icon) const;
  void Insert(int index, const TIcon *icon);
  void InsertResource(int index, const QString &resourceName);
  void Move(int currentIndex, int newIndex);
  void BeginUpdate() { ++m_updateCount; }
  void EndUpdate();
  // Raises onChange unless an update is open.
  void Changed();
  // Replaces the entries by those of the stream (one notification, also when reading fails; the
  // entries read before a failure stay). Short data raises EReadError ("Stream read error"); a
  // bad icon raises its own error.
  void LoadFromStream(QIODevice &stream);
  void SaveToStream(QIODevice &stream) const;

  // The picture interface, for the store's picture registry.
  [[nodiscard]] QString className() const override { return QStringLiteral("IconList"); }
  void loadFromStream(QIODevice &stream) override { LoadFromStream(stream); }
  void saveToStream(QIODevice &stream) const override { SaveToStream(stream); }
  // Empty when there are no entries.
  [[nodiscard]] bool empty() const override { return m_items.empty(); }
  // The size and drawing of the first icon that is not empty.
  [[nodiscard]] int width() const override;
  [[nodiscard]] int height() const override;
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  void assign(const TGraphic *source) override { Assign(source); }

private:
  [[nodiscard]] const TIcon *firstShown() const;
  void checkIndex(int index) const;
  void bind(TIcon &icon);
  void insertOwned(int index, std::unique_ptr<TIcon> icon);

  std::vector<std::unique_ptr<TIcon>> m_items;
  int m_updateCount = 0;
};
