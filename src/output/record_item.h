#pragma once
// One item of the page's record list, rendered from the template's "recordlist" section.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "track/track.h"

namespace routelet {

// The "recordlist" section cut once into literal text and placeholders, so that each record is
// appended straight to the list without copying the section eight times.
//
// Filling the placeholders one after another with ReplaceAll gives the same text: every record
// placeholder is a bracketed word without inner brackets, so two occurrences never overlap, and
// no value written for one (digits, blanks, ".", "-", "/", ":") contains a bracket or a letter,
// so no value can form or hide another placeholder.
class RecordItemTemplate {
 public:
  explicit RecordItemTemplate(std::string_view section);

  bool empty() const { return parts_.empty(); }

  // Appends the item of record `index` to `out`.
  void AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const;

 private:
  enum class Field { kLiteral, kIndex, kTime, kTimeStr, kLat, kLng, kAlt, kDist, kSpeed };
  struct Part {
    Field field;
    std::string_view literal;  // for kLiteral: a piece of section_
  };

  std::string section_;
  std::vector<Part> parts_;
};

// The item of one record: the section with "[index]", "[time]", "[timestr]", "[lat]", "[lng]",
// "[alt]", "[dist]" and "[speed]" filled in; empty when the section is empty.
std::string BuildRecordItem(const RecordItemTemplate& itemTemplate, std::int64_t index,
                            const TrackRecord& record);

}  // namespace routelet
