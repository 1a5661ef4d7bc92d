#include "track/nmea_sentence.h"

#include <gtest/gtest.h>

#include <string_view>

namespace routelet {
namespace {

TEST(KindOfSentence, KnowsPositionAndFixSentencesOfEveryTalker) {
  const struct {
    std::string_view line;
    SentenceKind kind;
  } cases[] = {
      {"$GPRMC,150928,A,3539.1234,N", SentenceKind::kPosition}, {"$GNRMC,", SentenceKind::kPosition},
      {"$INRMC,194101,A", SentenceKind::kPosition},            {"$GPGGA,", SentenceKind::kFix},
      {"$BDGGA,x", SentenceKind::kFix},                        {"$GPGSV,3,1,11", SentenceKind::kOther},
      {"$GPRMC", SentenceKind::kOther},   // no comma
      {"$GPRMCX,", SentenceKind::kOther}, {"$gprmc,1", SentenceKind::kOther}, {"$GpRMC,1", SentenceKind::kOther},
      {"$G1RMC,1", SentenceKind::kOther}, {"$RMC,1", SentenceKind::kOther},   // the talker is two letters
      {" $GPRMC,1", SentenceKind::kOther}, {"GPRMC,1", SentenceKind::kOther}, {"$", SentenceKind::kOther},
      {"", SentenceKind::kOther},
  };
  for (const auto& c : cases) EXPECT_EQ(KindOfSentence(c.line), c.kind) << c.line;
}

TEST(CheckSentence, AcceptsMatchingOrMissingChecksumsOnly) {
  const struct {
    std::string_view line;
    bool usable;
    std::string_view body;
  } cases[] = {
      // Real sentences with their receivers' checksums, in either letter case, blanks after.
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D*2E", true,
       "$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D"},
      {"$GNRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A,V*0f", true,
       "$GNRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A,V"},
      {"$GPRMC,,V,,,,,,,,,,N*53  \t", true, "$GPRMC,,V,,,,,,,,,,N"},
      // A receiver's wrong checksum, and a sentence damaged in one digit.
      {"$GPGGA,005947.00,3715.6616,N,12157.6709,W,,11,0.8,86.0,M,-30.1,M,,*54", false, ""},
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310318,8.9,E,D*2E", false, ""},
      // Without a complete checksum the sentence is taken as it is.
      {"$GPRMC,150928,A,3539.1234,N", true, "$GPRMC,150928,A,3539.1234,N"},
      {"$GPGSV,2,2,08,19,13,277,,*7", true, "$GPGSV,2,2,08,19,13,277,,*7"},
      {"$GPRMC,,V,,,,,,,,,,N*5G", true, "$GPRMC,,V,,,,,,,,,,N*5G"},
      {"$GPRMC,,V,,,,,,,,,,N*53x", true, "$GPRMC,,V,,,,,,,,,,N*53x"},
      {"$*00", true, "$"},
  };
  for (const auto& c : cases) {
    std::string_view body = "unchanged";
    EXPECT_EQ(CheckSentence(c.line, body), c.usable) << c.line;
    if (c.usable) {
      EXPECT_EQ(body, c.body) << c.line;
    }
  }
}

}  // namespace
}  // namespace routelet
