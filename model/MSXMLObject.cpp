#include "model/MSXMLObject.h"

#include "model/XmlEncoding.h"
#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

constexpr unsigned ParseFlags = pugi::parse_default | pugi::parse_declaration |
                                pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi;

// The first byte of the text that is no blank, no NUL (of a wide encoding) and no byte of a byte
// order mark; 0 when there is none.
char firstMark(const QByteArray &data) {
  for (const char c : data)
    if (!std::strchr(" \t\r\n", c) && c != '\0' && !std::strchr("\xEF\xBB\xBF\xFE\xFF", c))
      return c;
  return '\0';
}

// One element name, nothing more: it becomes part of the queries.
bool isElementName(const QString &name) {
  const TXmlPath path(name);
  return path.namesValid() && path.size() == 1 && !name.contains(u'\\');
}

// Each step of a value path goes to the first child element of that name, for reading as for
// writing, so a value is always read where it was written.
pugi::xml_node firstChildElement(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    const char *n = c.name();
    if (n[0] == name[0] && std::strncmp(n, name.data(), name.size()) == 0 &&
        n[name.size()] == '\0' && c.type() == pugi::node_element)
      return c;
  }
  return {};
}

// Visits node and all its descendants in document order without recursion.
template <class F> void forEachInSubtree(pugi::xml_node node, F &&visit) {
  pugi::xml_node cur = node;
  while (cur) {
    visit(cur);
    if (cur.first_child()) {
      cur = cur.first_child();
      continue;
    }
    while (cur && cur != node && !cur.next_sibling())
      cur = cur.parent();
    if (!cur || cur == node)
      return;
    cur = cur.next_sibling();
  }
}

// The DOM's text content as UTF-8: every text and CDATA node below the node, joined. A node
// with one text node (the usual case) gives that node's text without copying.
std::string_view rawText(pugi::xml_node node, std::string &buffer) {
  const pugi::xml_node only = node.first_child();
  if (!only)
    return {};
  if (!only.next_sibling() && only.type() == pugi::node_pcdata)
    return only.value();
  buffer.clear();
  forEachInSubtree(node, [&](pugi::xml_node n) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
      buffer += n.value();
  });
  return buffer;
}

QString textContent(pugi::xml_node node) {
  std::string buffer;
  const std::string_view text = rawText(node, buffer);
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool isInside(pugi::xml_node node, pugi::xml_node ancestor) {
  for (pugi::xml_node n = node; n; n = n.parent())
    if (n == ancestor)
      return true;
  return false;
}

bool isValidUtf8(const QByteArray &data) {
  const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
  const qsizetype n = data.size();
  for (qsizetype i = 0; i < n;) {
    // Eight plain ASCII bytes at a time: the usual content of a store file.
    if (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, p + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    const int extra = (c >= 0xC2 && c <= 0xDF)   ? 1
                      : (c >= 0xE0 && c <= 0xEF) ? 2
                      : (c >= 0xF0 && c <= 0xF4) ? 3
                                                 : -1;
    if (extra < 0 || i + extra >= n)
      return false;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

// Bytes in a declared 8-bit code page, or bytes that are not UTF-8, are taken as Windows-1252
// (the code page the program used to write); everything else is left to the parser's detection.
bool needsWindows1252(const QByteArray &data) {
  if (data.size() >= 2 && (data[0] == '\0' || data[1] == '\0' ||
                           (static_cast<unsigned char>(data[0]) == 0xFE &&
                            static_cast<unsigned char>(data[1]) == 0xFF) ||
                           (static_cast<unsigned char>(data[0]) == 0xFF &&
                            static_cast<unsigned char>(data[1]) == 0xFE)))
    return false;
  if (data.startsWith("<?xml")) {
    static const QRegularExpression declared(
        QStringLiteral(R"(^<\?xml[^>]*encoding\s*=\s*["']([^"']*)["'])"));
    const auto m = declared.match(QString::fromLatin1(data.left(200)));
    if (m.hasMatch()) {
      const QString name = m.captured(1).toLower();
      if (name == QLatin1String("windows-1252") || name == QLatin1String("cp1252") ||
          name == QLatin1String("iso-8859-1") || name == QLatin1String("latin1"))
        return true;
    }
  }
  return !isValidUtf8(data);
}

// Far larger than any store (its pictures included): a bigger file is the wrong file, and
// reading it whole, then converting it, could exhaust the memory.
constexpr qint64 MaxFileSize = qint64(512) * 1024 * 1024;

// Far deeper than anything the program writes (an item's values lie a few levels down).
// pugixml frees a subtree recursively, one call per level: a document nested deeper than this
// would overflow the stack when a value inside it is replaced or its item removed.
constexpr int MaxNesting = 256;

class ByteArrayWriter final : public pugi::xml_writer {
public:
  explicit ByteArrayWriter(QByteArray &out) : m_out(out) {}
  void write(const void *data, size_t size) override {
    m_out.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
  }

private:
  QByteArray &m_out;
};

// Copies the text with every line break (CR LF, LF or CR alone) as CR LF; gives where the copy
// ends. Each break grows by one byte at most.
char *copyWithCrLf(char *out, const char *text, const char *end) {
  while (text < end) {
    const char *lineEnd = text;
    while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
      ++lineEnd;
    std::memcpy(out, text, size_t(lineEnd - text));
    out += lineEnd - text;
    if (lineEnd == end)
      break;
    *out++ = '\r';
    *out++ = '\n';
    text = lineEnd + (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
  }
  return out;
}

constexpr std::string_view CdataEnd = "]]>";

char *copyBytes(char *out, const char *from, const char *to) {
  std::memcpy(out, from, size_t(to - from));
  return out + (to - from);
}

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// The line break characters in the bytes (memchr is many times faster than a loop over bytes).
qsizetype countLineBreaks(const char *begin, const char *end) {
  qsizetype count = 0;
  for (const char c : {'\r', '\n'})
    for (const char *p = begin; (p = static_cast<const char *>(std::memchr(p, c, size_t(end - p))));
         ++p)
      ++count;
  return count;
}

// The next CR or LF at or after a place that only moves forward.
class TLineBreakFinder {
public:
  explicit TLineBreakFinder(const char *end) : m_end(end) {}
  const char *next(const char *from) {
    m_cr = seek(m_cr, from, '\r');
    m_lf = seek(m_lf, from, '\n');
    return std::min(m_cr, m_lf);
  }

private:
  const char *seek(const char *found, const char *from, char c) const {
    if (found && found >= from)
      return found;
    const auto *at = static_cast<const char *>(std::memchr(from, c, size_t(m_end - from)));
    return at ? at : m_end;
  }
  const char *m_end;
  const char *m_cr = nullptr, *m_lf = nullptr;
};

// Whether `mark` follows a "<" anywhere from `from` on.
bool holdsMarkup(const char *from, const char *end, char mark) {
  for (const char *p = from; p < end;) {
    const auto *at = static_cast<const char *>(std::memchr(p, mark, size_t(end - p)));
    if (!at)
      return false;
    if (at > from && at[-1] == '<')
      return true;
    p = at + 1;
  }
  return false;
}

// withCrLfInTexts for the bytes the document's own writer makes of a document without comments,
// processing instructions, CDATA or a document type (what the program writes): a "<" there only
// starts a tag (texts and attribute values hold it as "&lt;"), a text holds no ">" ("&gt;"), and
// a tag holds no line break (attribute values hold them as character references). Every line
// break then lies in a text, which lies between the last ">" and the next "<", so only the texts
// that hold one are looked at. None when the bytes are not of that kind.
std::optional<QByteArray> withCrLfInOwnTexts(const QByteArray &in, qsizetype breaks) {
  const char *const begin = in.constData();
  const char *const end = begin + in.size();
  // After the declaration, if there is one, which holds no line break.
  const char *body = begin;
  if (in.startsWith("<?")) {
    const qsizetype close = in.indexOf("?>");
    if (close < 0)
      return std::nullopt;
    body = begin + close + 2;
    if (std::any_of(begin, body, isLineBreak))
      return std::nullopt;
  }
  if (holdsMarkup(body, end, '!') || holdsMarkup(body, end, '?'))
    return std::nullopt;
  QByteArray out(in.size() + breaks, Qt::Uninitialized);
  char *o = out.data();
  const char *copied = begin; // everything before is in `out`
  const char *p = body;
  TLineBreakFinder lineBreaks(end);
  while (p < end) {
    const char *lineBreak = lineBreaks.next(p);
    if (lineBreak == end)
      break;
    const auto *lastClose = static_cast<const char *>(memrchr(body, '>', size_t(lineBreak - body)));
    const auto *lastOpen = static_cast<const char *>(memrchr(body, '<', size_t(lineBreak - body)));
    if (lastOpen && (!lastClose || lastClose < lastOpen))
      return std::nullopt; // inside a tag after all
    const char *text = lastClose ? lastClose + 1 : body;
    const auto *next =
        static_cast<const char *>(std::memchr(lineBreak, '<', size_t(end - lineBreak)));
    const char *textEnd = next ? next : end;
    // The tag before the text: a start tag unless it closes or is empty.
    const bool afterStartTag = lastOpen && lastOpen[1] != '/' && text[-2] != '/';
    const bool blanks = std::all_of(
        text, textEnd, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    o = copyBytes(o, copied, text);
    if (!blanks || (afterStartTag && size_t(end - textEnd) >= 2 && textEnd[1] == '/'))
      o = copyWithCrLf(o, text, textEnd);
    else
      o = copyBytes(o, text, textEnd);
    copied = p = textEnd;
  }
  o = copyBytes(o, copied, end);
  out.truncate(o - out.constData());
  return out;
}

// The saved bytes with every line break inside a text as CR LF, the way the program's texts and
// hex pictures hold them. An XML reader gives each line break of a file as LF, so a store read
// back and saved again wrote LF where the same store saved straight from memory wrote CR LF, and
// data.xml and data_backup.xml held the same texts differently. A text here is the character
// data of an element that holds more than blanks, or all of a leaf element's content, and CDATA;
// the blanks between elements (a foreign file's indentation), comments and markup stay as they
// are. Attribute values hold their line breaks as character references. Every reader reads
// either form as the same text.
//
// One pass into a buffer made large enough at once: a store of many reminders holds hundreds of
// thousands of texts and tags.
QByteArray withCrLfInTexts(const QByteArray &in) {
  const char *const begin = in.constData();
  const char *const end = begin + in.size();
  // Each line break grows by one byte at most; an unclosed CDATA section gets its close.
  const qsizetype breaks = countLineBreaks(begin, end);
  if (std::optional<QByteArray> own = withCrLfInOwnTexts(in, breaks))
    return *std::move(own);
  QByteArray out(in.size() + breaks + 3, Qt::Uninitialized);
  char *o = out.data();
  const std::string_view all(begin, size_t(in.size()));
  // Where the first `close` at or after `from` ends; the end of the bytes when there is none.
  const auto endOf = [&](std::string_view close, const char *from) {
    const size_t at = all.find(close, size_t(from - begin));
    return at == std::string_view::npos ? end : begin + at + close.size();
  };
  const auto startsWith = [end](const char *p, std::string_view prefix) {
    return size_t(end - p) >= prefix.size() && std::memcmp(p, prefix.data(), prefix.size()) == 0;
  };
  bool afterStartTag = false;
  const char *p = begin;
  while (p < end) {
    if (*p != '<') {
      const char *next = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
      if (!next)
        next = end;
      const bool blanks = std::all_of(
          p, next, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
      if (!blanks || (afterStartTag && startsWith(next, "</")))
        o = copyWithCrLf(o, p, next);
      else
        o = copyBytes(o, p, next);
      p = next;
      continue;
    }
    if (startsWith(p, "<![CDATA[")) {
      const char *close = endOf(CdataEnd, p + 9);
      o = copyBytes(o, p, p + 9);
      o = copyWithCrLf(o, p + 9, std::max(close - 3, p + 9));
      o = copyBytes(o, CdataEnd.data(), CdataEnd.data() + CdataEnd.size());
      p = close;
      afterStartTag = false;
      continue;
    }
    const char *tagEnd = nullptr;
    bool startTag = false;
    if (startsWith(p, "<!--")) {
      tagEnd = endOf("-->", p + 4);
    } else if (startsWith(p, "<?")) {
      tagEnd = endOf("?>", p + 2);
    } else {
      // A tag ends at the first ">" outside quotes: attribute values may hold ">". Most tags
      // hold no quote before their first ">".
      const auto *close = static_cast<const char *>(std::memchr(p + 1, '>', size_t(end - p - 1)));
      const auto quoted = [close](const char *from, char quote) {
        return std::memchr(from, quote, size_t(close - from)) != nullptr;
      };
      if (close && !quoted(p + 1, '"') && !quoted(p + 1, '\'')) {
        tagEnd = close;
      } else {
        char quote = 0;
        tagEnd = p + 1;
        for (; tagEnd < end && (quote || *tagEnd != '>'); ++tagEnd) {
          if (quote && *tagEnd == quote)
            quote = 0;
          else if (!quote && (*tagEnd == '"' || *tagEnd == '\''))
            quote = *tagEnd;
        }
      }
      tagEnd = std::min(tagEnd + 1, end);
      startTag = p + 1 < end && p[1] != '/' && p[1] != '!' && tagEnd[-2] != '/';
    }
    o = copyBytes(o, p, tagEnd);
    afterStartTag = startTag;
    p = tagEnd;
  }
  out.truncate(o - out.constData());
  return out;
}

void setAttribute(pugi::xml_node node, const char *name, const char *value) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a)
    a = node.append_attribute(name);
  a.set_value(value);
}

} // namespace

TMSXMLObject::TMSXMLObject(const QString &fileName, const QString &idFormat,
                           const QString &itemName, const QString &rootName)
    : m_idFormat(idFormat), m_itemName(itemName), m_itemNameUtf8(itemName.toUtf8()),
      m_rootName(rootName) {
  // The item name becomes part of the queries, so it must be a plain element name.
  if (!isElementName(itemName) || !isElementName(rootName))
    throw ETolvaneError(QStringLiteral("Invalid element name \"%1\"").arg(itemName));
  m_variables.add("u1", pugi::xpath_type_string);
  m_variables.add("u2", pugi::xpath_type_string);
  const std::string item = m_itemNameUtf8.toStdString();
  m_itemsOfUser = std::make_unique<pugi::xpath_query>(
      ("(//" + item + "[@user=$u1])|(//" + item + "[@user=$u2])").c_str(), &m_variables);
  // The constructor cannot reach an override; the store's own loading reads the file the same
  // way, so this is what the override would do.
  TMSXMLObject::LoadFromFile(fileName);
}

TMSXMLObject::~TMSXMLObject() = default;

QString TMSXMLObject::ExtractId(const QString &text) const {
  const qsizetype p = m_idFormat.indexOf(u'%');
  return p < 0 ? text : text.mid(p);
}

QString TMSXMLObject::formatId(const QString &bareId) const {
  QString s = m_idFormat;
  const qsizetype p = s.indexOf(QStringLiteral("%s"));
  if (p >= 0)
    s.replace(p, 2, bareId);
  return s;
}

// --- Files ------------------------------------------------------------------------------------

void TMSXMLObject::LoadFromFile(const QString &fileName) {
  m_lastLoad = TLoadOutcome::NoFile;
  const QFileInfo info(fileName);
  // A link that loops is no missing file: it raises, so it is told, and it is never followed.
  if (!fileName.isEmpty() && info.isSymLink() && !info.exists())
    (void)ResolveWriteTarget(fileName);
  if (!fileName.isEmpty() && info.isFile()) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
      throw EFileError(
          QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    if (f.size() > MaxFileSize)
      throw EFileError(
          QStringLiteral("Cannot read file \"%1\". The file is too large.").arg(fileName));
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
      throw EFileError(
          QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, f.errorString()));
    loadBytes(std::move(data));
  }
  EnsureRoot();
  m_fileName = fileName;
}

void TMSXMLObject::loadBytes(QByteArray data) {
  ++m_revision;
  m_everyItemChanged = true;
  m_currentItem = {};
  m_finder.forget();
  m_indexValid = false;
  m_index.clear();
  m_items.clear();
  m_document.reset();
  // The document is parsed in place: its texts point into this buffer, which it keeps.
  const char mark = firstMark(data);
  const bool transcode = needsWindows1252(data);
  m_source = transcode ? FromWindows1252(data).toUtf8() : std::move(data);
  // After the transcoding the bytes are UTF-8 whatever the declaration says.
  const pugi::xml_parse_result result = m_document.load_buffer_inplace(
      m_source.data(), static_cast<size_t>(m_source.size()), ParseFlags,
      transcode ? pugi::encoding_utf8 : pugi::encoding_auto);
  // A file that does not parse leaves no document element, whatever the parser kept of it.
  const bool parsed = result && indexDocument();
  if (!parsed) {
    m_document.reset();
    m_index.clear();
    m_items.clear();
    m_indexValid = false;
  }
  // Text without any markup parses as a document without an element, as a lone declaration
  // does: only the second is XML.
  if (mark == '\0')
    m_lastLoad = TLoadOutcome::Empty;
  else if (result.status == pugi::status_no_document_element && mark == '<')
    m_lastLoad = TLoadOutcome::OtherDocument;
  else if (!result)
    m_lastLoad = TLoadOutcome::NotXml;
  else if (!parsed || m_rootName.toUtf8() != m_document.document_element().name())
    m_lastLoad = TLoadOutcome::OtherDocument;
  else
    m_lastLoad = TLoadOutcome::Parsed;
}

void TMSXMLObject::EnsureRoot() {
  if (m_document.document_element())
    return;
  ++m_revision;
  m_everyItemChanged = true;
  m_currentItem = {};
  m_finder.forget();
  m_index.clear();
  m_items.clear();
  m_indexValid = false;
  m_document.reset();
  m_source.clear();
  pugi::xml_node decl = m_document.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  m_document.append_child(m_rootName.toUtf8().constData());
}

QByteArray TMSXMLObject::serialize() {
  // The bytes are always UTF-8, so the declaration must say so whatever the file said.
  pugi::xml_node first = m_document.first_child();
  if (first.type() != pugi::node_declaration)
    first = m_document.prepend_child(pugi::node_declaration);
  if (!first.attribute("version"))
    first.prepend_attribute("version");
  first.attribute("version").set_value("1.0");
  setAttribute(first, "encoding", "UTF-8");
  QByteArray out;
  // About the size of the last save: the bytes are not copied again and again as they grow.
  out.reserve(m_lastSaveSize + m_lastSaveSize / 16);
  ByteArrayWriter writer(out);
  m_document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  m_lastSaveSize = out.size();
  return withCrLfInTexts(out);
}

void TMSXMLObject::SaveToFile(const QString &fileName) {
  if (fileName.isEmpty())
    throw EFileError(QStringLiteral("Cannot create file \"\": no file name"));
  WriteFileAtomic(fileName, serialize());
}

void TMSXMLObject::Save() { SaveToFile(m_fileName); }

// --- Items ------------------------------------------------------------------------------------

void TMSXMLObject::collectIds(const pugi::xpath_node_set &nodes, QStringList *list) const {
  const QByteArray idName = IdAttrName().toUtf8();
  for (const pugi::xpath_node &n : nodes) {
    const pugi::xml_attribute id = n.node().attribute(idName.constData());
    if (id)
      list->append(ExtractId(QString::fromUtf8(id.value())));
  }
}

void TMSXMLObject::GetIds(QStringList *list) const {
  if (!list)
    return;
  list->clear();
  buildIndex();
  list->reserve(qsizetype(m_items.size()));
  for (const pugi::xml_node item : m_items)
    if (const pugi::xml_attribute id = item.attribute("id"))
      list->append(ExtractId(QString::fromUtf8(id.value())));
}

void TMSXMLObject::GetIdsOfUser(QStringList *list, const QString &user) const {
  if (!list)
    return;
  if (user.isEmpty()) {
    GetIds(list);
    return;
  }
  list->clear();
  m_variables.set("u1", user.toUpper().toUtf8().constData());
  m_variables.set("u2", user.toLower().toUtf8().constData());
  collectIds(m_itemsOfUser->evaluate_node_set(m_document), list);
}

void TMSXMLObject::setItemId(pugi::xml_node item, const QString &bareId) {
  pugi::xml_attribute id = item.attribute("id");
  if (!id)
    id = item.prepend_attribute("id");
  noteChanged(item); // under the old id and the new one
  id.set_value(formatId(bareId).toUtf8().constData());
  noteChanged(item);
  ++m_revision;
  m_indexValid = false; // rebuilt on the next lookup
}

void TMSXMLObject::buildIndex() const {
  if (!m_indexValid)
    (void)indexDocument();
}

// One walk over the whole document gathers the items and checks the nesting: a store of many
// reminders has millions of nodes. pugixml's own traversal is used because it steps from node to
// node inside the library, which costs far less than a call per step from here.
bool TMSXMLObject::indexDocument() const {
  class Walker final : public pugi::xml_tree_walker {
  public:
    explicit Walker(const TMSXMLObject &store)
        : s(store), itemName(store.m_itemNameUtf8.constData()) {}
    bool for_each(pugi::xml_node &node) override {
      // The document's children lie at depth 0. The walk goes on past a node too deep, so that
      // the index is whole.
      if (depth() > MaxNesting)
        withinNesting = false;
      // Text nodes have an empty name, so the type is asked only of a matching name.
      const char *name = node.name();
      if (name[0] == itemName[0] && std::strcmp(name, itemName) == 0 &&
          node.type() == pugi::node_element) {
        s.m_items.push_back(node);
        if (const pugi::xml_attribute id = node.attribute("id"))
          s.m_index[id.value()].push_back(node);
      }
      return true;
    }
    const TMSXMLObject &s;
    const char *itemName;
    bool withinNesting = true;
  };
  m_index.clear();
  m_items.clear();
  Walker walker(*this);
  pugi::xml_node document = m_document; // a handle: traversing changes nothing
  document.traverse(walker);
  m_indexValid = true;
  return walker.withinNesting;
}

void TMSXMLObject::indexSubtree(pugi::xml_node node) {
  if (!m_indexValid)
    return;
  forEachInSubtree(node, [&](pugi::xml_node n) {
    if (n.type() != pugi::node_element || m_itemNameUtf8 != n.name())
      return;
    m_items.push_back(n);
    if (const pugi::xml_attribute id = n.attribute("id"))
      m_index[id.value()].push_back(n);
  });
}

void TMSXMLObject::unindexSubtree(pugi::xml_node node) {
  if (!m_indexValid)
    return;
  forEachInSubtree(node, [&](pugi::xml_node n) {
    if (n.type() != pugi::node_element || m_itemNameUtf8 != n.name())
      return;
    std::erase(m_items, n);
    const pugi::xml_attribute id = n.attribute("id");
    if (!id)
      return;
    auto it = m_index.find(id.value());
    if (it == m_index.end())
      return;
    std::erase(it->second, n);
    if (it->second.empty())
      m_index.erase(it);
  });
}

void TMSXMLObject::noteChanged(pugi::xml_node node) {
  if (m_everyItemChanged)
    return;
  const auto isItem = [this](pugi::xml_node n) {
    return n.type() == pugi::node_element && m_itemNameUtf8 == n.name();
  };
  bool inItem = false;
  for (pugi::xml_node n = node; n; n = n.parent()) {
    if (isItem(n)) {
      m_changedItems.insert(n.attribute("id").value());
      inItem = true;
    }
  }
  if (!inItem) {
    m_everyItemChanged = true;
    return;
  }
  forEachInSubtree(node, [&](pugi::xml_node n) {
    if (isItem(n))
      m_changedItems.insert(n.attribute("id").value());
  });
}

QSet<QString> TMSXMLObject::ChangedItemIds() const {
  QSet<QString> ids;
  for (const std::string &text : m_changedItems)
    ids.insert(ExtractId(QString::fromStdString(text)));
  return ids;
}

void TMSXMLObject::ForgetChangedItems() {
  m_everyItemChanged = false;
  m_changedItems.clear();
}

std::vector<pugi::xml_node> TMSXMLObject::itemNodes() const {
  buildIndex();
  return m_items;
}

pugi::xml_node TMSXMLObject::FindItem(const QString &id) const {
  if (!rootElement())
    return {};
  buildIndex();
  const auto it = m_index.find(formatId(id).toUtf8().toStdString());
  return it == m_index.end() ? pugi::xml_node() : it->second.front();
}

bool TMSXMLObject::SelectItem(const QString &id) {
  m_currentItem = FindItem(id);
  return bool(m_currentItem);
}

pugi::xml_node TMSXMLObject::AddItem(const QString &id, const QString &user) {
  pugi::xml_node item = rootElement().append_child(m_itemNameUtf8.constData());
  item.append_attribute("id") = formatId(id).toUtf8().constData();
  if (!user.isEmpty())
    item.append_attribute("user") = user.toUtf8().constData();
  noteChanged(item);
  ++m_revision;
  indexSubtree(item);
  return item;
}

pugi::xml_node TMSXMLObject::appendCopy(pugi::xml_node node) {
  pugi::xml_node copy = rootElement().append_copy(node);
  noteChanged(copy);
  ++m_revision;
  indexSubtree(copy);
  return copy;
}

void TMSXMLObject::removeSubtree(pugi::xml_node node) {
  if (!node || !node.parent())
    return;
  // Freed nodes must not stay reachable through the current item.
  if (m_currentItem && isInside(m_currentItem, node))
    m_currentItem = {};
  unindexSubtree(node);
  noteChanged(node);
  m_finder.forget();
  node.parent().remove_child(node);
  ++m_revision;
}

bool TMSXMLObject::DeleteItem(const QString &id) {
  const pugi::xml_node item = FindItem(id);
  if (!item)
    return false;
  removeSubtree(item);
  return true;
}

// --- Values -----------------------------------------------------------------------------------

pugi::xml_node TMSXMLObject::findPath(const TXmlPath &path) const {
  return m_finder.find(m_currentItem, path);
}

pugi::xml_node TMSXMLObject::ForcePath(pugi::xml_node start, const TXmlPath &path) {
  const TXmlPath &p = path;
  if (!p.namesValid())
    throw ETolvaneError(QStringLiteral("Invalid element path \"%1\"").arg(path.toString()));
  pugi::xml_node node = start;
  for (size_t i = 0; i < p.size() && node; ++i) {
    pugi::xml_node child = firstChildElement(node, p.step(i));
    if (!child) {
      child = node.append_child(std::string(p.step(i)).c_str());
      noteChanged(node);
      ++m_revision;
      m_finder.forget();
      if (m_itemNameUtf8 == child.name())
        m_indexValid = false;
    }
    node = child;
  }
  return node;
}

namespace {

// The text as the parser gives it back from the file: each line break (CR LF, or CR alone) as LF.
// The document holds its texts so, whether it was read or written, and a save writes either form
// the same, so the document after a save is the file as a fresh load would read it.
QByteArray asParsed(const QString &value) {
  QByteArray text = value.toUtf8();
  if (!text.contains('\r'))
    return text;
  char *out = text.data();
  const char *end = text.constData() + text.size();
  for (const char *in = text.constData(); in < end; ++in) {
    if (*in != '\r') {
      *out++ = *in;
      continue;
    }
    *out++ = '\n';
    if (in + 1 < end && in[1] == '\n')
      ++in;
  }
  text.truncate(out - text.constData());
  return text;
}

} // namespace

void TMSXMLObject::setText(pugi::xml_node node, const QString &value) {
  const QByteArray text = asParsed(value);
  // The text it holds already: nothing changes, and no save is due for it.
  const pugi::xml_node only = node.first_child();
  if (text.isEmpty() ? !only
                     : only && !only.next_sibling() && only.type() == pugi::node_pcdata &&
                           std::strcmp(only.value(), text.constData()) == 0)
    return;
  noteChanged(node);
  ++m_revision;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element) {
      unindexSubtree(c);
      m_finder.forget();
    }
  }
  node.remove_children();
  if (!text.isEmpty())
    node.append_child(pugi::node_pcdata).set_value(text.constData());
}

QString TMSXMLObject::TextOf(pugi::xml_node node, const QString &defaultValue) {
  return node ? textContent(node) : defaultValue;
}

bool TMSXMLObject::BoolOf(pugi::xml_node node, bool defaultValue) {
  if (!node)
    return defaultValue;
  std::string buffer;
  const std::string_view text = rawText(node, buffer);
  // "true" in any case; no other letters fold to these four.
  static constexpr std::string_view True = "true";
  if (text.size() != True.size())
    return false;
  for (size_t i = 0; i < True.size(); ++i)
    if ((text[i] | 0x20) != True[i])
      return false;
  return true;
}

int TMSXMLObject::IntegerOf(pugi::xml_node node, int defaultValue) {
  if (!node)
    return defaultValue;
  std::string buffer;
  const std::string_view text = rawText(node, buffer);
  int value = 0;
  if (!TryStrToInt(text, value))
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value")
                            .arg(QString::fromUtf8(text.data(), qsizetype(text.size()))));
  return value;
}

TDateTime TMSXMLObject::DateTimeOf(pugi::xml_node node, TDateTime defaultValue) {
  if (!node)
    return defaultValue;
  std::string buffer;
  const std::string_view text = rawText(node, buffer);
  return text.empty() ? defaultValue : ParseXmlDateTime(text, defaultValue);
}

QString TMSXMLObject::ReadString(const TXmlPath &path, const QString &defaultValue) const {
  return TextOf(findPath(path), defaultValue);
}

bool TMSXMLObject::ReadBool(const TXmlPath &path, bool defaultValue) const {
  return BoolOf(findPath(path), defaultValue);
}

int TMSXMLObject::ReadInteger(const TXmlPath &path, int defaultValue) const {
  return IntegerOf(findPath(path), defaultValue);
}

TDateTime TMSXMLObject::ReadDateTime(const TXmlPath &path, TDateTime defaultValue) const {
  return DateTimeOf(findPath(path), defaultValue);
}

void TMSXMLObject::WriteString(const TXmlPath &path, const QString &value) {
  if (!m_currentItem) {
#ifndef NDEBUG
    qWarning() << "XML write without a selected item:" << path.toString();
#endif
    return;
  }
  pugi::xml_node node = findPath(path);
  if (!node)
    node = ForcePath(m_currentItem, path);
  setText(node, value);
}

void TMSXMLObject::WriteBool(const TXmlPath &path, bool value) {
  WriteString(path, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void TMSXMLObject::WriteInteger(const TXmlPath &path, int value) {
  WriteString(path, QString::number(value));
}

void TMSXMLObject::WriteDateTime(const TXmlPath &path, TDateTime value) {
  WriteString(path, FormatXmlDateTime(value));
}

void TMSXMLObject::RemoveNode(const TXmlPath &path) { removeSubtree(findPath(path)); }

// --- Pictures ---------------------------------------------------------------------------------

namespace {

QString child(const TXmlPath &path, const char *name) {
  return path.toString() + u'/' + QLatin1String(name);
}

// The picture class for a stored class name. The five classes the file format names map to
// their picture classes (which keep their bytes unchanged until the class is built in); any
// other name must be registered exactly.
QString pictureClassFor(const QString &storedName) {
  static const std::array<QString, 5> known = {QStringLiteral("Bitmap"), QStringLiteral("Metafile"),
                                               QStringLiteral("Icon"), QStringLiteral("JPEGImage"),
                                               QStringLiteral("GIFImage")};
  for (const QString &name : known)
    if (name.compare(storedName, Qt::CaseInsensitive) == 0)
      return name;
  if (graphics::isRegistered(storedName))
    return storedName;
  throw ETolvaneError(QStringLiteral("Class %1 not found").arg(storedName));
}

} // namespace

std::unique_ptr<TGraphic> TMSXMLObject::ReadGraphic(const TXmlPath &path) const {
  const QString storedName = ReadString(child(path, "classname"), QString());
  if (storedName.isEmpty())
    return nullptr;
  const QString hex = ReadString(child(path, "hexdata"), QString());
  if (hex.isEmpty())
    return nullptr;
  const QString className = pictureClassFor(storedName);
  const QByteArray bytes = HexLinesToBin(hex);
  if (bytes.isEmpty())
    return nullptr;
  std::unique_ptr<TGraphic> graphic = graphics::create(className);
  graphic->loadFromBytes(bytes);
  return graphic;
}

bool TMSXMLObject::ReadIconList(const TXmlPath &path, TGraphic *list) const {
  if (!list)
    return false;
  if (ReadString(child(path, "classname"), QString()).toUpper() != QLatin1String("ICONLIST"))
    return false;
  const QString hex = ReadString(child(path, "hexdata"), QString());
  if (hex.isEmpty())
    return false;
  const QByteArray bytes = HexLinesToBin(hex);
  if (bytes.isEmpty())
    return false;
  list->loadFromBytes(bytes);
  return true;
}

void TMSXMLObject::ReadTrayIcon(const TXmlPath &path, TTrayIconImage *trayIcon) const {
  if (!trayIcon)
    return;
  const QString c = ReadString(child(path, "classname"), QString()).toUpper();
  // A picture that cannot be read leaves the tray icon as it was: this runs while a reminder
  // fires, and a bad icon must not stop that.
  try {
    if (c == QLatin1String("ICONLIST")) {
      std::unique_ptr<TGraphic> list = graphics::create(QStringLiteral("IconList"));
      if (ReadIconList(path, list.get())) {
        trayIcon->Icons = std::move(list);
        trayIcon->Animated = true;
      }
    } else if (c == QLatin1String("ICON")) {
      std::unique_ptr<TGraphic> icon = ReadGraphic(path);
      if (icon && icon->className() == QLatin1String("Icon")) {
        trayIcon->Icon = std::move(icon);
        trayIcon->Animated = false;
      }
    }
  } catch (const std::exception &e) {
    qWarning() << "Tray icon picture not readable:" << e.what();
  }
}

void TMSXMLObject::WriteGraphic(const TXmlPath &path, const TGraphic *graphic) {
  if (!graphic || graphic->empty()) {
    RemoveNode(path);
    return;
  }
  const QString text = BinToHexLines(graphic->saveToBytes());
  if (text.isEmpty())
    return;
  WriteString(child(path, "classname"), graphic->className());
  WriteString(child(path, "hexdata"), text);
}

void TMSXMLObject::WriteIconList(const TXmlPath &path, const TGraphic *list) {
  if (!list)
    return;
  const QString text = BinToHexLines(list->saveToBytes());
  if (text.isEmpty())
    return;
  WriteString(child(path, "classname"), QStringLiteral("IconList"));
  WriteString(child(path, "hexdata"), text);
}
