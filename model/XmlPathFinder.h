#pragma once

#include "model/XmlPath.h"

#include <pugixml.hpp>

#include <cstddef>
#include <vector>

// Finds the node a value path names below an item: each step goes to the first child element of
// that name, for reading as for writing, so a value is always read where it was written.
//
// It remembers the way to the last node found and the child elements of every node it has looked
// into, so reading an item's values one after another ("sticker/text/font/name", then
// ".../color") neither walks from the item again nor scans the same children twice. forget()
// must be called whenever elements are added or removed.
class TXmlPathFinder {
public:
  [[nodiscard]] pugi::xml_node find(pugi::xml_node item, const TXmlPath &path);
  void forget();

private:
  struct ChildName {
    const char *name;
    size_t length;
    pugi::xml_node node;
  };
  // The first child element of each name below a node, in document order.
  struct Children {
    pugi::xml_node node;
    std::vector<ChildName> names;
    size_t next = 0; // where the next search starts: values are mostly read in stored order
  };
  struct Level {
    pugi::xml_node node;
    const char *name;
    size_t length;
    size_t children; // index into m_children, or NotListed
  };
  static constexpr size_t NotListed = size_t(-1);

  size_t childrenOf(pugi::xml_node node);
  const ChildName *lookup(Children &children, std::string_view name);

  pugi::xml_node m_item;
  std::vector<Level> m_levels; // m_levels[0] is the item, m_levels[i] the node after i steps
  std::vector<Children> m_children;
};
