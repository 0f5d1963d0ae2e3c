#pragma once

#include "imaging/Graphic.h"
#include "model/XmlPath.h"
#include "model/XmlPathFinder.h"
#include "platform/DateTime.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// What a tray icon shows, as read from a picture element: either an icon list whose frames the
// tray icon steps through (Animated), or one icon. The runtime hands it to its tray icon; the
// model never touches the notification area itself.
struct TTrayIconImage {
  std::unique_ptr<TGraphic> Icons; // the frames; created on demand as an "IconList" picture
  std::unique_ptr<TGraphic> Icon;
  bool Animated = false;
};

// One XML document bound to one file, seen as a flat collection of item elements identified by
// an id attribute. Values are read and written at "/"-separated element paths below the selected
// item (CurrentItem). The document always has a root element once construction has finished.
//
// Handles never dangle: deleting or replacing an item, removing a node and reloading the
// document clear CurrentItem when it lies in what goes away. Without a current item every read
// gives its default and every write is ignored.
class TMSXMLObject {
public:
  TMSXMLObject(const QString &fileName, const QString &idFormat, const QString &itemName,
               const QString &rootName);
  virtual ~TMSXMLObject();
  TMSXMLObject(const TMSXMLObject &) = delete;
  TMSXMLObject &operator=(const TMSXMLObject &) = delete;

  [[nodiscard]] QString IdAttrName() const { return QStringLiteral("id"); }
  [[nodiscard]] QString UserAttrName() const { return QStringLiteral("user"); }
  [[nodiscard]] QString ItemName() const { return m_itemName; }
  // The file the document was last loaded from (or was to be loaded from).
  [[nodiscard]] QString FileName() const { return m_fileName; }
  // Turns a bare id into the attribute text; one "%s" placeholder.
  [[nodiscard]] QString IdFormat() const { return m_idFormat; }
  [[nodiscard]] QString RootName() const { return m_rootName; }
  [[nodiscard]] const pugi::xml_document &Document() const { return m_document; }
  [[nodiscard]] pugi::xml_node CurrentItem() const { return m_currentItem; }
  // A number that changes with every change of the document made through this class (a load
  // included); writing the text an element already holds changes nothing.
  [[nodiscard]] uint64_t Revision() const { return m_revision; }
  // Which items changed through this class since ForgetChangedItems: those written, added,
  // removed or given another id, known by their id; every item after a load, a new root or a
  // change outside any item. What lets a reader of the document read again only what changed.
  [[nodiscard]] bool EveryItemChanged() const { return m_everyItemChanged; }
  // The bare ids of the items changed (when not every item did).
  [[nodiscard]] QSet<QString> ChangedItemIds() const;
  void ForgetChangedItems();

  // The bare id of an id attribute's text: the text from the placeholder's position on.
  [[nodiscard]] virtual QString ExtractId(const QString &text) const;
  // Saves the whole document (UTF-8, with a declaration) safely over the file, through a
  // symbolic link to the file it leads to; raises EFileError with the file name and the system's
  // reason.
  void SaveToFile(const QString &fileName);
  // Loads the file when it exists; a file that does not parse leaves an empty root. FileName
  // becomes fileName also when the file does not exist. A file that exists but cannot be read, a
  // symbolic link that loops, or a file far larger than any store raises EFileError and changes
  // nothing; one nested far deeper than any store counts as not parsed.
  virtual void LoadFromFile(const QString &fileName);
  // SaveToFile(FileName()).
  void Save();
  // What the last LoadFromFile found: no file; a file without any element (nothing, or blanks);
  // one that is no XML; XML of another kind (another root element, or nested far deeper than
  // any file of this kind); or a file that parsed with the expected root element.
  enum class TLoadOutcome { NoFile, Empty, NotXml, OtherDocument, Parsed };
  [[nodiscard]] TLoadOutcome LastLoadOutcome() const { return m_lastLoad; }
  [[nodiscard]] bool LastLoadParsed() const { return m_lastLoad == TLoadOutcome::Parsed; }
  // Gives the document an empty root element when it has no document element.
  void EnsureRoot();

  // The bare ids of every item anywhere in the document, in document order. Items without an id
  // attribute are skipped (they stay in the document). Nothing happens without a list.
  void GetIds(QStringList *list) const;
  // The ids of items whose user attribute is the user upper- or lower-cased; all with no user.
  void GetIdsOfUser(QStringList *list, const QString &user) const;

  // The first item whose id attribute is the id in IdFormat (compared exactly), or none.
  [[nodiscard]] pugi::xml_node FindItem(const QString &id) const;
  // CurrentItem := FindItem(id); true when found.
  bool SelectItem(const QString &id);
  // Appends a new item with the id (and the user when not empty); CurrentItem is not changed.
  pugi::xml_node AddItem(const QString &id, const QString &user);
  // Removes the item; true when there was one.
  bool DeleteItem(const QString &id);

  // --- Values below CurrentItem. "\" in a path counts as "/"; each step of a path goes to the
  // first child element of that name. -------------------------------------------------------
  [[nodiscard]] QString ReadString(const TXmlPath &path, const QString &defaultValue) const;
  // True exactly when the text is "true" in any case; the default when the element is missing.
  [[nodiscard]] bool ReadBool(const TXmlPath &path, bool defaultValue) const;
  // Raises EConvertError when the text is not a decimal integer (an empty element included).
  [[nodiscard]] int ReadInteger(const TXmlPath &path, int defaultValue) const;
  // Empty or unreadable text gives the default.
  [[nodiscard]] TDateTime ReadDateTime(const TXmlPath &path, TDateTime defaultValue) const;
  // Creates the missing elements of the path, each appended last, then replaces the text.
  void WriteString(const TXmlPath &path, const QString &value);
  void WriteBool(const TXmlPath &path, bool value);
  void WriteInteger(const TXmlPath &path, int value);
  void WriteDateTime(const TXmlPath &path, TDateTime value);
  // Removes the element at the path with everything below it.
  void RemoveNode(const TXmlPath &path);

  // --- The same reads of an element found by other means (a TXmlFieldSet); none gives the
  // default. -------------------------------------------------------------------------------
  [[nodiscard]] static QString TextOf(pugi::xml_node node, const QString &defaultValue);
  [[nodiscard]] static bool BoolOf(pugi::xml_node node, bool defaultValue);
  [[nodiscard]] static int IntegerOf(pugi::xml_node node, int defaultValue);
  [[nodiscard]] static TDateTime DateTimeOf(pugi::xml_node node, TDateTime defaultValue);

  // --- Pictures: "classname" and "hexdata" below the path ---------------------------------------
  // None when either is missing or no byte is stored. Raises for a class name no picture class
  // answers to, for bad hex text and for bytes the class cannot load.
  [[nodiscard]] std::unique_ptr<TGraphic> ReadGraphic(const TXmlPath &path) const;
  // Loads the list from an "IconList" element; true when it did. Bad hex text raises.
  bool ReadIconList(const TXmlPath &path, TGraphic *list) const;
  // An icon list makes the tray icon animated, a single icon not; every failure is absorbed.
  void ReadTrayIcon(const TXmlPath &path, TTrayIconImage *trayIcon) const;
  // No picture, or an empty one, removes the element.
  void WriteGraphic(const TXmlPath &path, const TGraphic *graphic);
  // The picture's graphic; nothing without a picture.
  template <class Picture> void WritePicture(const TXmlPath &path, const Picture *picture) {
    if (picture)
      WriteGraphic(path, picture->graphic());
  }
  // Writes the list as "IconList"; nothing without a list or when its stream is empty.
  void WriteIconList(const TXmlPath &path, const TGraphic *list);

protected:
  // The node at the path below start, creating missing elements as the last children.
  pugi::xml_node ForcePath(pugi::xml_node start, const TXmlPath &path);
  // Detaches the node (and its subtree) from its parent, clearing CurrentItem when it lies
  // inside.
  void removeSubtree(pugi::xml_node node);
  [[nodiscard]] pugi::xml_node rootElement() const { return m_document.document_element(); }
  [[nodiscard]] QString formatId(const QString &bareId) const;
  // Bytes of the document as SaveToFile writes them.
  [[nodiscard]] QByteArray serialize();
  // Every item element of the document, in document order.
  [[nodiscard]] std::vector<pugi::xml_node> itemNodes() const;
  // Makes an item element of this document the current item.
  void selectNode(pugi::xml_node item) { m_currentItem = item; }
  // Appends a deep copy of a node (of any document) as the last item of this document.
  pugi::xml_node appendCopy(pugi::xml_node node);
  // Gives an item of this document another id.
  void setItemId(pugi::xml_node item, const QString &bareId);

private:
  [[nodiscard]] pugi::xml_node findPath(const TXmlPath &path) const;
  void setText(pugi::xml_node node, const QString &value);
  void collectIds(const pugi::xpath_node_set &nodes, QStringList *list) const;
  void loadBytes(QByteArray data);
  // Notes the items the node lies in, and those inside it, as changed: every item when it lies in
  // none.
  void noteChanged(pugi::xml_node node);
  // The item list and the id index: every item element in document order, and those with an id
  // attribute by the attribute's exact text. Built on first use after a load and kept up to date by
  // every change made through this class, so finding an item does not scan the document.
  void buildIndex() const;
  // Builds the item list and the id index in one walk over the whole document; false when the
  // document is nested deeper than any store.
  bool indexDocument() const;
  void indexSubtree(pugi::xml_node node);
  void unindexSubtree(pugi::xml_node node);

  mutable TXmlPathFinder m_finder;

  QString m_fileName;
  QString m_idFormat;
  QString m_itemName;
  QByteArray m_itemNameUtf8;
  QString m_rootName;
  QByteArray m_source; // the loaded file's text, which the document was parsed in
  pugi::xml_document m_document;
  pugi::xml_node m_currentItem;
  TLoadOutcome m_lastLoad = TLoadOutcome::NoFile;
  uint64_t m_revision = 0;
  bool m_everyItemChanged = true;
  std::unordered_set<std::string> m_changedItems; // id attribute texts
  qsizetype m_lastSaveSize = 0; // of the bytes serialize() last made, before the line breaks
  mutable bool m_indexValid = false;
  mutable std::unordered_map<std::string, std::vector<pugi::xml_node>> m_index;
  mutable std::vector<pugi::xml_node> m_items; // every item element, in document order
  // Compiled once; user names are bound as variables, never pasted into the query.
  mutable pugi::xpath_variable_set m_variables;
  std::unique_ptr<pugi::xpath_query> m_itemsOfUser;
};

// Items identified by any text.
class TMSXMLObjectWithStringAsId : public TMSXMLObject {
public:
  using TMSXMLObject::TMSXMLObject;
};
