#include "output/record_item.h"

#include <gtest/gtest.h>

#include "runtime/dates.h"
#include "runtime/text_helpers.h"

namespace routelet {
namespace {

TrackRecord SampleRecord() {
  TrackRecord r;
  r.UnixTime = 999999999;
  r.TimeText = "2001/09/09 10:46:39";
  r.Lat = 35.652056666;
  r.Lng = -0.25;
  r.Alt = 123.44999694824219;
  r.Dist = 0.5;
  r.Speed = 12.345;
  return r;
}

// The item as filling each placeholder in turn over the whole section gives it.
std::string FillOneAfterAnother(std::string text, std::int64_t index, const TrackRecord& r) {
  text = ReplaceAll(text, "[index]", std::to_string(index));
  text = ReplaceAll(text, "[time]", RightAligned10(r.UnixTime));
  text = ReplaceAll(text, "[timestr]", r.TimeText);
  text = ReplaceAll(text, "[lat]", NumberText(r.Lat, 4));
  text = ReplaceAll(text, "[lng]", NumberText(r.Lng, 4));
  text = ReplaceAll(text, "[alt]", NumberText(r.Alt, 2));
  text = ReplaceAll(text, "[dist]", NumberText(r.Dist, 2));
  return ReplaceAll(text, "[speed]", NumberText(r.Speed, 2));
}

TEST(RecordItem, FillsEveryPlaceholderInItsFormat) {
  const RecordItemTemplate t("[index],[time],[timestr],[lat],[lng],[alt],[dist],[speed]");
  EXPECT_EQ(BuildRecordItem(t, 7, SampleRecord()),
            "7, 999999999,2001/09/09 10:46:39,35.6521,-.2500,123.45,.50,12.35");
}

TEST(RecordItem, AgreesWithFillingOnePlaceholderAfterAnother) {
  const char* sections[] = {
      "",
      "no placeholders at all",
      "[lat][lat] [LAT] [Lat] [foo] [filename] [photolist]",
      "[ti[time]me] [[index]] [time [timestr]] [speed",
      "[index][time][timestr][lat][lng][alt][dist][speed]",
      "<td data-t=\"[time]\">[timestr]</td>\r\n<td>[lat],[lng]</td>",
      "[", "]", "[[", "[time", "[index]]",
  };
  const TrackRecord record = SampleRecord();
  for (const char* section : sections) {
    const RecordItemTemplate t(section);
    EXPECT_EQ(BuildRecordItem(t, 42, record), FillOneAfterAnother(section, 42, record)) << section;
    EXPECT_EQ(t.empty(), std::string_view(section).empty());
  }
}

}  // namespace
}  // namespace routelet
