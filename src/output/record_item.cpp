#include "output/record_item.h"

#include <utility>

#include "runtime/value_texts.h"

namespace routelet {
namespace {

using namespace std::string_view_literals;

}  // namespace

RecordItemTemplate::RecordItemTemplate(std::string_view section) : section_(section) {
  // The record placeholders in the order they are filled (see record_item.h for why the order
  // matters only for the one that can be empty, which stays last). A new placeholder is a row
  // here and a case in AppendItem.
  static constexpr std::pair<std::string_view, Field> kPlaceholders[] = {
      {"[index]"sv, Field::kIndex},
      {"[time]"sv, Field::kTime},
      {"[timestr]"sv, Field::kTimeStr},
      {"[lat:full]"sv, Field::kLatFull},
      {"[lng:full]"sv, Field::kLngFull},
      {"[lat]"sv, Field::kLat},
      {"[lng]"sv, Field::kLng},
      {"[alt]"sv, Field::kAlt},
      {"[dist]"sv, Field::kDist},
      {"[speed]"sv, Field::kSpeed},
      {"[alt:known]"sv, Field::kAltKnown},
  };
  const std::string_view text = section_;
  std::size_t literalStart = 0;
  for (std::size_t at = text.find('['); at != std::string_view::npos; at = text.find('[', at + 1)) {
    for (const auto& [name, field] : kPlaceholders) {
      if (text.substr(at).starts_with(name)) {
        if (at > literalStart) parts_.push_back({Field::kLiteral, text.substr(literalStart, at - literalStart)});
        parts_.push_back({field, {}});
        literalStart = at + name.size();
        at = literalStart - 1;
        break;
      }
    }
  }
  if (literalStart < text.size()) parts_.push_back({Field::kLiteral, text.substr(literalStart)});
}

void RecordItemTemplate::AppendItem(std::string& out, std::int64_t index, const TrackRecord& record) const {
  for (const Part& part : parts_) {
    switch (part.field) {
      case Field::kLiteral: out += part.literal; break;
      case Field::kIndex: out += std::to_string(index); break;
      case Field::kTime: out += RightAligned10(record.UnixTime); break;
      case Field::kTimeStr: out += record.TimeText; break;
      case Field::kLatFull: out += ShortestText(record.Lat); break;
      case Field::kLngFull: out += ShortestText(record.Lng); break;
      case Field::kLat: out += NumberText(record.Lat, 4); break;
      case Field::kLng: out += NumberText(record.Lng, 4); break;
      case Field::kAlt: out += NumberText(record.Alt, 2); break;
      case Field::kDist: out += NumberText(record.Dist, 2); break;
      case Field::kSpeed: out += NumberText(record.Speed, 2); break;
      case Field::kAltKnown: if (record.AltKnown) out += NumberText(record.Alt, 2); break;
    }
  }
}

std::string BuildRecordItem(const RecordItemTemplate& itemTemplate, std::int64_t index,
                            const TrackRecord& record) {
  std::string item;
  itemTemplate.AppendItem(item, index, record);
  return item;
}

}  // namespace routelet
