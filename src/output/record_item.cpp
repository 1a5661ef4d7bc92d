#include "output/record_item.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "output/value_groups.h"
#include "runtime/dates.h"
#include "runtime/value_texts.h"
#include "track/utc_offset.h"

namespace routelet {

// Fills `name` in the literal parts as ReplaceAll fills it in the whole text: each occurrence,
// left to right, becomes a `field` part, or nothing when `comesOutEmpty`, which joins the text
// on its two sides into one literal for the placeholders after it.
RecordItemTemplate::Parts RecordItemTemplate::FillPlaceholder(const Parts& parts, std::string_view name, Fill field,
                                                              bool comesOutEmpty) {
  Parts filled;
  const auto appendLiteral = [&filled](std::string_view text) {
    if (text.empty()) return;
    if (!filled.empty() && filled.back().isLiteral) {
      filled.back().literal += text;
    } else {
      filled.push_back(Literal(std::string(text)));
    }
  };
  for (const auto& part : parts) {
    if (!part.isLiteral) {
      filled.push_back(part);
      continue;
    }
    const std::string_view text = part.literal;
    std::size_t from = 0;
    for (std::size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, from)) {
      appendLiteral(text.substr(from, at - from));
      if (!comesOutEmpty) filled.push_back({false, field, {}});
      from = at + name.size();
    }
    appendLiteral(text.substr(from));
  }
  return filled;
}

RecordItemTemplate::RecordItemTemplate(std::string_view section) {
  for (std::size_t cut = 0; cut < cuts_.size(); ++cut) {
    const bool untimed = (cut & 1) != 0, altitudeUnknown = (cut & 2) != 0;
    Parts parts;
    const auto comesOutEmpty = [&](Fill field) {
      return ((field == Fill::kTimeIso || field == Fill::kRecordZone) && untimed) ||
             (field == Fill::kAltKnown && altitudeUnknown);
    };
    const std::string kept = KeepGroupsWithValues(section, PlaceholderScope::kRecordItem, comesOutEmpty);
    if (!kept.empty()) parts.push_back(Literal(kept));
    for (const Placeholder& placeholder : kPlaceholders) {
      if (placeholder.Scope != PlaceholderScope::kRecordItem) continue;
      parts = FillPlaceholder(parts, placeholder.Text, placeholder.What, comesOutEmpty(placeholder.What));
    }
    for (const Part& part : parts) longest_[cut] += part.isLiteral ? part.literal.size() : kLongestValueText;
    cuts_[cut] = std::move(parts);
  }
}

char* RecordItemTemplate::WritePart(char* out, const Part& part, std::int64_t index, const TrackRecord& record) {
  if (part.isLiteral) return std::copy(part.literal.begin(), part.literal.end(), out);
  switch (part.field) {
    case Fill::kIndex: return std::to_chars(out, out + kLongestValueText, index).ptr;
    case Fill::kTime: return WriteRightAligned10(out, record.UnixTime);
    case Fill::kTimeStr: return WriteDateText(out, record.LocalTime);
    case Fill::kTimeIso: {
      const std::string text = IsoTimeText(record);
      return std::copy(text.begin(), text.end(), out);
    }
    case Fill::kLatFull: return WriteShortestText(out, record.Lat);
    case Fill::kLngFull: return WriteShortestText(out, record.Lng);
    case Fill::kLat: return WriteNumberText(out, record.Lat, 4);
    case Fill::kLng: return WriteNumberText(out, record.Lng, 4);
    case Fill::kAlt: return WriteNumberText(out, record.Alt, 2);
    case Fill::kDist: return WriteNumberText(out, record.Dist, 2);
    case Fill::kSpeed: return WriteNumberText(out, record.Speed, 2);
    case Fill::kAltKnown: return WriteNumberText(out, record.Alt, 2);
    case Fill::kSegment: return std::to_chars(out, out + kLongestValueText, record.Segment + std::uint64_t{1}).ptr;
    case Fill::kRecordZone: {
      const std::string text = ZoneOffsetText(OffsetMinutesOf(record));
      return std::copy(text.begin(), text.end(), out);
    }
    default: return out;  // a placeholder of another scope, never in a record item's parts
  }
}

void RecordItemTemplate::AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const {
  // The cut without "[time:iso]" or "[alt:known]" where they are empty, so both are filled below
  // only where they have a value.
  const std::size_t cut = (IsTimed(record) ? 0 : 1) + (record.AltKnown ? 0 : 2);
  // An item is made on the stack and appended at once: a page appends millions of short texts,
  // and each append to the page costs more than the copy.
  constexpr std::size_t kItemRoom = 8192;
  if (longest_[cut] <= kItemRoom) {
    char item[kItemRoom];
    char* end = item;
    for (const Part& part : cuts_[cut]) end = WritePart(end, part, index, record);
    out.append(item, end);
    return;
  }
  for (const Part& part : cuts_[cut]) {
    if (part.isLiteral) {
      out += part.literal;
    } else {
      char text[kLongestValueText];
      out.append(text, WritePart(text, part, index, record));
    }
  }
}

std::string BuildRecordItem(const RecordItemTemplate& itemTemplate, std::int64_t index,
                            const TrackRecord& record) {
  std::string item;
  itemTemplate.AppendItem(item, index, record);
  return item;
}

std::string IsoTimeText(const TrackRecord& record) {
  if (!IsTimed(record)) return {};
  return IsoUtcText(record.UnixTime, record.Fraction, record.FractionDigits);
}

}  // namespace routelet
