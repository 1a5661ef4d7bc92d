#pragma once
// The named sections of the page template. Names compare without regard to letter case.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace routelet {

class SectionStore {
 public:
  // Stores `text` under `name`. A name already present (letter case ignored) has its text
  // replaced, so the later of two sections of one name wins.
  void Set(std::string_view name, std::string text);

  // The text stored under `name`, or nullptr.
  const std::string* Find(std::string_view name) const;

  std::size_t size() const { return sections_.size(); }
  bool empty() const { return sections_.empty(); }
  void clear() {
    sections_.clear();
    places_.clear();
  }

  // Names in the order they were first stored.
  std::vector<std::string> Names() const;

 private:
  std::vector<std::pair<std::string, std::string>> sections_;
  // Each name, letter case folded, to its place in sections_: a template of many sections is
  // stored and looked up in time linear in their number.
  std::unordered_map<std::string, std::size_t> places_;
};

// The text of a section, or empty text when there is none of that name.
std::string GetSection(const SectionStore& store, std::string_view name);

// Cuts a decoded template into sections: the lines before the first header line ("*" and a
// name) form "body"; each header starts the section it names. A section's text is its lines
// without the leading empty ones, joined by CR LF.
void ParseSections(std::string_view text, SectionStore& store);

}  // namespace routelet
