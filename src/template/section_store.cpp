#include "template/section_store.h"

#include "runtime/letter_case.h"
#include "runtime/text_file.h"

namespace routelet {

void SectionStore::Set(std::string_view name, std::string text) {
  for (auto& [storedName, storedText] : sections_) {
    if (EqualsIgnoringCase(storedName, name)) {
      storedText = std::move(text);
      return;
    }
  }
  sections_.emplace_back(std::string(name), std::move(text));
}

const std::string* SectionStore::Find(std::string_view name) const {
  for (const auto& [storedName, storedText] : sections_) {
    if (EqualsIgnoringCase(storedName, name)) return &storedText;
  }
  return nullptr;
}

std::vector<std::string> SectionStore::Names() const {
  std::vector<std::string> names;
  for (const auto& section : sections_) names.push_back(section.first);
  return names;
}

std::string GetSection(const SectionStore& store, std::string_view name) {
  const std::string* text = store.Find(name);
  return text ? *text : std::string();
}

void ParseSections(std::string_view text, SectionStore& store) {
  std::string name = "body";
  std::string current;
  LineReader reader(text);
  for (std::string_view line; reader.Next(line);) {
    if (!line.empty() && line.front() == '*') {
      store.Set(name, std::move(current));
      name = line.substr(1);
      current.clear();
      continue;
    }
    // Leading empty lines are dropped: nothing is appended while the section is still empty.
    if (!current.empty()) current += "\r\n";
    current += line;
  }
  store.Set(name, std::move(current));
}

}  // namespace routelet
