#include "output/record_item.h"

#include <charconv>
#include <utility>

#include "runtime/dates.h"
#include "runtime/value_texts.h"

namespace routelet {

using namespace std::string_view_literals;

namespace {

void AppendInteger(std::string& out, std::int64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

// Fills `name` in the literal parts as ReplaceAll fills it in the whole text: each occurrence,
// left to right, becomes a `field` part, or nothing when `comesOutEmpty`, which joins the text
// on its two sides into one literal for the placeholders after it.
RecordItemTemplate::Parts RecordItemTemplate::FillPlaceholder(const Parts& parts, std::string_view name, Field field,
                                                              bool comesOutEmpty) {
  Parts filled;
  const auto appendLiteral = [&filled](std::string_view text) {
    if (text.empty()) return;
    if (!filled.empty() && filled.back().field == Field::kLiteral) {
      filled.back().literal += text;
    } else {
      filled.push_back({Field::kLiteral, std::string(text)});
    }
  };
  for (const auto& part : parts) {
    if (part.field != Field::kLiteral) {
      filled.push_back(part);
      continue;
    }
    const std::string_view text = part.literal;
    std::size_t from = 0;
    for (std::size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, from)) {
      appendLiteral(text.substr(from, at - from));
      if (!comesOutEmpty) filled.push_back({field, {}});
      from = at + name.size();
    }
    appendLiteral(text.substr(from));
  }
  return filled;
}

RecordItemTemplate::RecordItemTemplate(std::string_view section) {
  // The record placeholders in the order they are filled. A new placeholder is a row here and a
  // case in AppendItem.
  static constexpr std::pair<std::string_view, Field> kPlaceholders[] = {
      {"[index]"sv, Field::kIndex},
      {"[time]"sv, Field::kTime},
      {"[timestr]"sv, Field::kTimeStr},
      {"[time:iso]"sv, Field::kTimeIso},
      {"[lat:full]"sv, Field::kLatFull},
      {"[lng:full]"sv, Field::kLngFull},
      {"[lat]"sv, Field::kLat},
      {"[lng]"sv, Field::kLng},
      {"[alt]"sv, Field::kAlt},
      {"[dist]"sv, Field::kDist},
      {"[speed]"sv, Field::kSpeed},
      {"[alt:known]"sv, Field::kAltKnown},
  };
  for (std::size_t cut = 0; cut < cuts_.size(); ++cut) {
    const bool untimed = (cut & 1) != 0, altitudeUnknown = (cut & 2) != 0;
    Parts parts;
    if (!section.empty()) parts.push_back({Field::kLiteral, std::string(section)});
    for (const auto& [name, field] : kPlaceholders) {
      const bool comesOutEmpty =
          (field == Field::kTimeIso && untimed) || (field == Field::kAltKnown && altitudeUnknown);
      parts = FillPlaceholder(parts, name, field, comesOutEmpty);
    }
    cuts_[cut] = std::move(parts);
  }
}

void RecordItemTemplate::AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const {
  // The cut without "[time:iso]" or "[alt:known]" where they are empty, so both are filled below
  // only where they have a value.
  for (const Part& part : cuts_[(IsTimed(record) ? 0 : 1) + (record.AltKnown ? 0 : 2)]) {
    switch (part.field) {
      case Field::kLiteral: out += part.literal; break;
      case Field::kIndex: AppendInteger(out, index); break;
      case Field::kTime: AppendRightAligned10(out, record.UnixTime); break;
      case Field::kTimeStr: AppendDateText(out, record.LocalTime); break;
      case Field::kTimeIso: out += IsoTimeText(record); break;
      case Field::kLatFull: AppendShortestText(out, record.Lat); break;
      case Field::kLngFull: AppendShortestText(out, record.Lng); break;
      case Field::kLat: AppendNumberText(out, record.Lat, 4); break;
      case Field::kLng: AppendNumberText(out, record.Lng, 4); break;
      case Field::kAlt: AppendNumberText(out, record.Alt, 2); break;
      case Field::kDist: AppendNumberText(out, record.Dist, 2); break;
      case Field::kSpeed: AppendNumberText(out, record.Speed, 2); break;
      case Field::kAltKnown: AppendNumberText(out, record.Alt, 2); break;
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
