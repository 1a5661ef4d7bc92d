#pragma once
// One item of the page's record list, rendered from the template's "recordlist" section.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/placeholders.h"
#include "track/track.h"

namespace routelet {

// The "recordlist" section cut once into literal text and placeholders, so that each record is
// appended straight to the list without copying the section once per placeholder.
//
// Filling the placeholders one after another with ReplaceAll, in the order of kPlaceholders
// (placeholders.h), gives the same text. No value holds a bracket or is made of letters and ":"
// alone, as the words inside the brackets are, so no value can form or hide a placeholder with
// the text around it; only an empty value can, by joining its two neighbours
// ("[alt[time:iso]:known]"). The section is therefore cut once for each combination of the
// placeholders that can come out empty ("[time:iso]" for an untimed record, "[alt:known]" for an
// unknown altitude), each cut made by keeping or leaving out the section's groups (value_groups.h)
// and then filling the placeholders in order with those left empty, and a record is appended
// through the cut that fits it.
class RecordItemTemplate {
 public:
  explicit RecordItemTemplate(std::string_view section);

  bool empty() const { return cuts_[0].empty(); }

  // Appends the item of record `index` to `out`.
  void AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const;

 private:
  struct Part {
    bool isLiteral;
    Fill field;           // for a placeholder
    std::string literal;  // for literal text
  };
  static Part Literal(std::string text) { return {true, Fill::kIndex, std::move(text)}; }
  using Parts = std::vector<Part>;

  static Parts FillPlaceholder(const Parts& parts, std::string_view name, Fill field, bool comesOutEmpty);
  static char* WritePart(char* out, const Part& part, std::int64_t index, const TrackRecord& record);

  // Indexed by 1 for an untimed record plus 2 for an unknown altitude.
  std::array<Parts, 4> cuts_;
  std::array<std::size_t, 4> longest_{};  // the most characters an item of each cut can take
};

// The item of one record: the section with its record placeholders filled in (kPlaceholders); empty when the section is empty.
std::string BuildRecordItem(const RecordItemTemplate& itemTemplate, std::int64_t index,
                            const TrackRecord& record);

// The record's UTC time in ISO 8601 with its fraction as the log wrote it
// ("2011-11-05T15:09:28.25Z"); empty for an untimed record.
std::string IsoTimeText(const TrackRecord& record);

}  // namespace routelet
