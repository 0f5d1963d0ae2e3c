#include "model/MSXMLObjectWithGuidAsId.h"

#include "platform/Guid.h"

#include <QDebug>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <string>
#include <unordered_set>

namespace {
const QString GuidIdFormat = QStringLiteral("{%s}");
}

TMSXMLObjectWithGuidAsId::TMSXMLObjectWithGuidAsId(const QString &fileName, const QString &itemName,
                                                   const QString &rootName)
    : TMSXMLObjectWithStringAsId(fileName, GuidIdFormat, itemName, rootName) {}

QString TMSXMLObjectWithGuidAsId::ExtractId(const QString &text) const {
  if (IdFormat() != GuidIdFormat)
    return TMSXMLObjectWithStringAsId::ExtractId(text);
  if (!text.startsWith(u'{') || !text.endsWith(u'}'))
    qWarning() << "Item id without braces, the item cannot be found by it:" << text;
  return text.size() < 2 ? QString() : text.mid(1, text.size() - 2);
}

QString TMSXMLObjectWithGuidAsId::NewGuidText() {
  const QString braced = CreateGuidText();
  return braced.mid(1, braced.size() - 2).toUpper();
}

QString TMSXMLObjectWithGuidAsId::AddNewItem(const QString &user) {
  const QString id = NewGuidText();
  AddItem(id, user);
  return id;
}

QString TMSXMLObjectWithGuidAsId::DuplicateItem(const QString &id) {
  const pugi::xml_node item = FindItem(id);
  if (!item)
    return QString();
  const QString newId = NewGuidText();
  // The id is set on the original's copy before it joins the document, so the id index sees
  // the new id and the attribute keeps its place.
  pugi::xml_document scratch;
  pugi::xml_node copy = scratch.append_copy(item);
  copy.attribute(IdAttrName().toUtf8().constData()).set_value(formatId(newId).toUtf8().constData());
  appendCopy(copy);
  return newId;
}

int TMSXMLObjectWithGuidAsId::RenewRepeatedIds() {
  // Ids compared as case-folded text; a plain ASCII id (every id the program makes) is folded
  // without leaving its bytes.
  std::unordered_set<std::string> seen;
  int renewed = 0;
  for (const pugi::xml_node item : itemNodes()) {
    const pugi::xml_attribute id = item.attribute("id");
    if (!id)
      continue;
    std::string key = id.value();
    if (std::all_of(key.begin(), key.end(), [](char c) { return (c & 0x80) == 0; }))
      std::transform(key.begin(), key.end(), key.begin(),
                     [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    else
      key = QString::fromUtf8(id.value()).toCaseFolded().toStdString();
    if (seen.insert(std::move(key)).second)
      continue;
    setItemId(item, NewGuidText());
    ++renewed;
  }
  return renewed;
}

int TMSXMLObjectWithGuidAsId::MergeItems(const TMSXMLObject &other, bool update) {
  QStringList ownIds, otherIds;
  GetIds(&ownIds);
  other.GetIds(&otherIds);
  // This document's ids, gathered once before the loop, by case-folded text.
  QHash<QString, QString> own;
  own.reserve(ownIds.size());
  for (const QString &id : ownIds)
    own.insert(id.toCaseFolded(), id);
  int count = 0;
  for (const QString &id : otherIds) {
    const auto match = own.constFind(id.toCaseFolded());
    const bool present = match != own.constEnd();
    if (!update && present)
      continue;
    const pugi::xml_node source = other.FindItem(id);
    if (!source)
      continue;
    appendCopy(source);
    // The replaced item is found by this document's own id text: the other document may spell
    // the id in another case, and the old item must not survive beside the copy. The copy
    // stands last, so the first item with that text is the old one.
    if (update && present)
      DeleteItem(match.value());
    ++count;
  }
  return count;
}

int TMSXMLObjectWithGuidAsId::ImportFromFile(const QString &fileName, bool update) {
  const TMSXMLObjectWithGuidAsId source(fileName, ItemName(), RootName());
  return MergeItems(source, update);
}

void TMSXMLObjectWithGuidAsId::ExportItems(const QStringList &ids, const QString &fileName) const {
  TMSXMLObjectWithGuidAsId target(QString(), ItemName(), RootName());
  for (const QString &id : ids) {
    const pugi::xml_node item = FindItem(id);
    if (item)
      target.appendCopy(item);
  }
  target.SaveToFile(fileName);
}
