#pragma once
// One item of the page's record list, rendered from the template's "recordlist" section.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "track/track.h"

namespace routelet {

// The "recordlist" section cut once into literal text and placeholders, so that each record is
// appended straight to the list without copying the section once per placeholder.
//
// Filling the placeholders one after another with ReplaceAll, in the order of the table in
// record_item.cpp, gives the same text:
// - every placeholder is a bracketed word that ends at its first "]", so two occurrences never
//   overlap and no placeholder begins another ("[lat]" and "[lat:full]" part at the fourth
//   character): at each "[" at most one placeholder matches;
// - no value holds a bracket, so no value can form or hide a placeholder with the text around
//   it, except an empty value, which joins its two neighbours ("[[alt:known]index]"). The only
//   placeholder that can be empty, "[alt:known]", is therefore filled last: whatever its removal
//   joins is left as it is, by either way of filling.
class RecordItemTemplate {
 public:
  explicit RecordItemTemplate(std::string_view section);

  bool empty() const { return parts_.empty(); }

  // Appends the item of record `index` to `out`.
  void AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const;

 private:
  enum class Field { kLiteral, kIndex, kTime, kTimeStr, kLatFull, kLngFull, kLat, kLng, kAlt, kDist, kSpeed, kAltKnown };
  struct Part {
    Field field;
    std::string_view literal;  // for kLiteral: a piece of section_
  };

  std::string section_;
  std::vector<Part> parts_;
};

// The item of one record: the section with its record placeholders filled in (the table in
// record_item.cpp); empty when the section is empty.
std::string BuildRecordItem(const RecordItemTemplate& itemTemplate, std::int64_t index,
                            const TrackRecord& record);

}  // namespace routelet
