#pragma once

#include "model/XmlPath.h"

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <vector>

// A fixed set of value paths below an item, and the one walk over an item's elements that finds
// the element of every path of the set. Reading all values of an item this way visits each of
// its elements once, where a search per path would scan the same children again and again.
//
// Each step goes to the first child element of that name, as TMSXMLObject's reads and writes
// do, so both find the same element: a repeated element, or anything below it, is never used,
// and elements of other names are passed over.
class TXmlFieldSet {
public:
  TXmlFieldSet();

  // Adds the path and gives its place in what find() fills; a path added again gives the same
  // place. An invalid path gets a place that stays empty.
  size_t add(const TXmlPath &path);
  // nodes[place] := the element of each path below the item, or none (all none without an
  // item). nodes is resized to cover every place.
  void find(pugi::xml_node item, std::vector<pugi::xml_node> &nodes) const;

private:
  // One step of the added paths: an element name, its place, and the steps below it.
  struct Step {
    std::string name;
    size_t place = 0;
    std::vector<Step> below;
  };
  void walk(pugi::xml_node parent, const Step &step, std::vector<pugi::xml_node> &nodes) const;

  Step m_root;
  size_t m_places = 0;
  size_t m_invalid; // the place of every invalid path
};
