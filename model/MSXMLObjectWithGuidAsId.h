#pragma once

#include "model/MSXMLObject.h"

// Items identified by GUIDs: the id attribute holds "{" + 36-character GUID text + "}", the bare
// id the text between the braces. Adds creating, duplicating, merging, importing and exporting
// items.
class TMSXMLObjectWithGuidAsId : public TMSXMLObjectWithStringAsId {
public:
  TMSXMLObjectWithGuidAsId(const QString &fileName, const QString &itemName,
                           const QString &rootName);

  // With the format "{%s}" the text without its first and last characters ("{ABC}" -> "ABC",
  // and, as files have always been read, "ABC" -> "B").
  [[nodiscard]] QString ExtractId(const QString &text) const override;

  // A new GUID as 36 upper-case characters without braces.
  [[nodiscard]] static QString NewGuidText();
  // Adds an item with a new GUID and the user; gives the bare id.
  QString AddNewItem(const QString &user);
  // Appends a deep copy of the item with a new id (every other attribute and child kept; the
  // id stays the first attribute); gives the new bare id, or "" when no item has the id.
  QString DuplicateItem(const QString &id);
  // Gives every item whose id repeats that of an earlier item (compared without regard to case)
  // a new GUID; gives how many changed.
  int RenewRepeatedIds();
  // Copies the other document's items into this one, by id: ids present here (compared without
  // regard to case) are skipped, or with update replaced by the copy, which then stands last.
  // Gives the number of items copied.
  int MergeItems(const TMSXMLObject &other, bool update);
  // MergeItems with the items of another file of this kind; a missing or unparsable file
  // gives 0.
  virtual int ImportFromFile(const QString &fileName, bool update);
  // Writes a new file holding copies of the listed items in list order (ids absent here are
  // skipped). Raises EFileError when the file cannot be written.
  void ExportItems(const QStringList &ids, const QString &fileName) const;
};
