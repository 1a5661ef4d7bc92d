#include "template/section_store.h"

#include "runtime/letter_case.h"
#include "runtime/text_file.h"

namespace routelet {

void SectionStore::Set(std::string_view name, std::string text) {
  const auto [place, added] = places_.try_emplace(FoldedCase(name), sections_.size());
  if (!added) {
    sections_[place->second].second = std::move(text);
    return;
  }
  sections_.emplace_back(std::string(name), std::move(text));
}

const std::string* SectionStore::Find(std::string_view name) const {
  const auto place = places_.find(FoldedCase(name));
  return place == places_.end() ? nullptr : &sections_[place->second].second;
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
