#include "model/XmlFieldSet.h"

#include <cstring>

namespace {

bool isNamed(const char *name, const std::string &wanted) {
  return name[0] == wanted[0] && std::strncmp(name, wanted.c_str(), wanted.size()) == 0 &&
         name[wanted.size()] == '\0';
}

} // namespace

TXmlFieldSet::TXmlFieldSet() : m_invalid(m_places++) {}

size_t TXmlFieldSet::add(const TXmlPath &path) {
  if (!path.valid())
    return m_invalid;
  Step *step = &m_root;
  for (size_t i = 0; i < path.size(); ++i) {
    const std::string_view name = path.step(i);
    Step *next = nullptr;
    for (Step &s : step->below)
      if (s.name == name)
        next = &s;
    if (!next) {
      step->below.push_back({std::string(name), m_places++, {}});
      next = &step->below.back();
    }
    step = next;
  }
  return step->place;
}

void TXmlFieldSet::find(pugi::xml_node item, std::vector<pugi::xml_node> &nodes) const {
  nodes.assign(m_places, pugi::xml_node());
  if (item)
    walk(item, m_root, nodes);
}

// The recursion goes no deeper than the longest added path, however deep the document is.
void TXmlFieldSet::walk(pugi::xml_node parent, const Step &step,
                        std::vector<pugi::xml_node> &nodes) const {
  const size_t count = step.below.size();
  size_t missing = count;
  size_t next = 0; // elements mostly come in the order their paths were added
  for (pugi::xml_node c = parent.first_child(); c && missing > 0; c = c.next_sibling()) {
    if (c.type() != pugi::node_element)
      continue;
    const char *name = c.name();
    for (size_t k = 0; k < count; ++k) {
      const size_t i = next + k < count ? next + k : next + k - count;
      const Step &s = step.below[i];
      // A name already found is not looked for again: only the first element of a name counts.
      if (nodes[s.place] || !isNamed(name, s.name))
        continue;
      nodes[s.place] = c;
      --missing;
      next = i + 1;
      if (!s.below.empty())
        walk(c, s, nodes);
      break;
    }
  }
}
