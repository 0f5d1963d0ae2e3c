#include "model/XmlPathFinder.h"

#include <algorithm>
#include <cstring>

namespace {
bool sameName(const char *name, size_t length, std::string_view wanted) {
  return length == wanted.size() && std::memcmp(name, wanted.data(), length) == 0;
}
} // namespace

void TXmlPathFinder::forget() {
  m_item = pugi::xml_node();
  m_levels.clear();
  m_children.clear();
}

size_t TXmlPathFinder::childrenOf(pugi::xml_node node) {
  for (size_t i = m_children.size(); i-- > 0;)
    if (m_children[i].node == node)
      return i;
  Children list{node, {}, 0};
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element)
      continue;
    const char *name = c.name();
    const size_t length = std::strlen(name);
    // Only the first child of a name counts.
    const bool seen = std::any_of(list.names.begin(), list.names.end(), [&](const ChildName &e) {
      return sameName(e.name, e.length, std::string_view(name, length));
    });
    if (!seen)
      list.names.push_back({name, length, c});
  }
  m_children.push_back(std::move(list));
  return m_children.size() - 1;
}

const TXmlPathFinder::ChildName *TXmlPathFinder::lookup(Children &children, std::string_view name) {
  const size_t n = children.names.size();
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (children.next + k) % n;
    const ChildName &c = children.names[i];
    if (sameName(c.name, c.length, name)) {
      children.next = i + 1;
      return &c;
    }
  }
  return nullptr;
}

pugi::xml_node TXmlPathFinder::find(pugi::xml_node item, const TXmlPath &path) {
  if (!item || !path.valid())
    return {};
  if (item != m_item) {
    forget();
    m_item = item;
    m_levels.push_back({item, nullptr, 0, NotListed});
  }
  for (size_t i = 0; i < path.size(); ++i) {
    const std::string_view step = path.step(i);
    if (m_levels.size() > i + 1 && sameName(m_levels[i + 1].name, m_levels[i + 1].length, step))
      continue; // the same step as last time
    m_levels.resize(i + 1);
    if (m_levels[i].children == NotListed)
      m_levels[i].children = childrenOf(m_levels[i].node);
    const ChildName *child = lookup(m_children[m_levels[i].children], step);
    if (!child)
      return {};
    m_levels.push_back({child->node, child->name, child->length, NotListed});
  }
  return m_levels[path.size()].node;
}
