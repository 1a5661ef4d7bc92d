// XML track files read through expat's stream parser.
#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/dates.h"
#include "runtime/numbers.h"
#include "runtime/text_helpers.h"
#include "track/xml_track.h"

namespace routelet {
namespace {

// A value longer than this (blanks included) is no number or time: it is passed over unheld, so
// a text of a gigabyte costs nothing.
constexpr std::size_t kLongestValue = 256;
constexpr int kMaxFractionDigits = 15;  // as for NMEA times: more cannot change the double

// An element's name without its namespace prefix: "gx:coord" is "coord".
std::string_view LocalName(const XML_Char* name) {
  const std::string_view whole(name);
  const std::size_t colon = whole.rfind(':');
  return colon == std::string_view::npos ? whole : whole.substr(colon + 1);
}

std::optional<double> Number(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Reads `count` digits at `at`, moving past them.
std::optional<std::int64_t> Digits(std::string_view text, std::size_t& at, std::size_t count) {
  if (at + count > text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (std::size_t end = at + count; at < end; ++at) {
    if (text[at] < '0' || text[at] > '9') return std::nullopt;
    value = value * 10 + (text[at] - '0');
  }
  return value;
}

bool Skip(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// The zone of an ISO 8601 time after its seconds: "Z", "+hh:mm", "-hhmm", "+hh", or nothing
// (UTC, as GPX writes). Seconds east of UTC.
std::optional<std::int64_t> ZoneSeconds(std::string_view text, std::size_t at) {
  if (at == text.size()) return 0;
  if (text.substr(at) == "Z") return 0;
  const char sign = text[at++];
  if (sign != '+' && sign != '-') return std::nullopt;
  const auto hours = Digits(text, at, 2);
  if (!hours) return std::nullopt;
  std::int64_t minutes = 0;
  if (at < text.size()) {
    Skip(text, at, ':');
    const auto given = Digits(text, at, 2);
    if (!given || at != text.size()) return std::nullopt;
    minutes = *given;
  }
  const std::int64_t seconds = *hours * 3600 + minutes * 60;
  return sign == '-' ? -seconds : seconds;
}

// An ISO 8601 time "YYYY-MM-DDThh:mm:ss[.f...][zone]" into `fix`; false for any other form,
// which leaves the point untimed. The instant is made as an NMEA fix's is, so that the same time
// gives the very same record.
bool ReadTime(std::string_view text, PointFix& fix) {
  text = Trimmed(text);
  std::size_t at = 0;
  const auto year = Digits(text, at, 4);
  const bool dateOk = year && Skip(text, at, '-');
  const auto month = dateOk ? Digits(text, at, 2) : std::nullopt;
  const auto day = month && Skip(text, at, '-') ? Digits(text, at, 2) : std::nullopt;
  const auto hours = day && Skip(text, at, 'T') ? Digits(text, at, 2) : std::nullopt;
  const auto minutes = hours && Skip(text, at, ':') ? Digits(text, at, 2) : std::nullopt;
  const auto seconds = minutes && Skip(text, at, ':') ? Digits(text, at, 2) : std::nullopt;
  if (!seconds) return false;
  std::uint64_t digits = 0;
  double scale = 1;
  int used = 0;
  if (Skip(text, at, '.')) {
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      if (used++ < kMaxFractionDigits) {
        digits = digits * 10 + static_cast<std::uint64_t>(text[at] - '0');
        scale *= 10;
      }
    }
    if (used == 0) return false;
  }
  const std::optional<std::int64_t> zone = ZoneSeconds(text, at);
  if (!zone) return false;
  fix.instant = DateFromParts(*year, *month, *day) + TimeFromParts(*hours, *minutes, *seconds - *zone);
  const std::optional<std::int64_t> unixTime = ToInt64((fix.instant - kUnixEpochSerial) * 60 * 60 * 24);
  if (!unixTime) return false;
  fix.unixTime = *unixTime;
  fix.fraction = static_cast<double>(digits) / scale;
  fix.fractionDigits = std::min(used, kMaxFractionDigits);
  fix.timed = true;
  return true;
}

// The values of the point being read, as texts.
struct PointTexts {
  std::optional<double> Lat, Lng, Alt;
  std::string Time;
};

// Which value an element's text is, inside a point.
enum class Value { kNone, kLat, kLng, kAlt, kTime, kCoord, kWhen };

}  // namespace

struct XmlTrackReader::State {
  XML_Parser Parser = nullptr;
  ChunkBuilder Builder;
  std::size_t Points = 0;
  XmlStop Stop;
  bool Stopped = false;

  std::size_t Depth = 0;
  std::size_t PointDepth = 0;  // of the open <trkpt> or <Trackpoint>; 0 when none is open
  std::size_t TrackDepth = 0;  // of the open KML <gx:Track>; 0 when none is open
  PointTexts Point;
  std::string KmlWhens;        // the times of the open <gx:Track> not yet paired, each ending in '\n'
  std::size_t KmlWhenAt = 0;   // the next of them to pair with a <gx:coord>
  Value Reading = Value::kNone;
  std::string Text;            // of the value being read
  bool TextTooLong = false;

  // Reading a file in pieces.
  bool WatchFirst = false;                    // First is to be recorded
  std::uint64_t WatchedBytes = 0;             // if it begins within these first bytes
  std::optional<XmlPointContext> First;       // the file's first GPX track point, or the piece's context
  std::size_t TrackedDepth = 0;               // the names of the open elements are held up to this depth
  std::vector<std::string> Enclosing;         // those names, outermost first
  std::optional<std::uint64_t> Cut;           // where the reading may end
  std::function<std::optional<std::uint64_t>(std::uint64_t)> PassedCut;
  std::optional<std::uint64_t> EndedAt;
  std::uint64_t EndLine = 0;
  std::int64_t OffsetShift = 0;               // from the parser's byte index to the file's offset

  std::uint64_t Offset() const { return static_cast<std::uint64_t>(XML_GetCurrentByteIndex(Parser) + OffsetShift); }

  // Whether an element `name` starting now stands as the first track point does.
  bool StandsAsFirstPoint(std::string_view name) const {
    return First && PointDepth == 0 && TrackDepth == 0 && Depth == First->Enclosing.size() && name == First->Name &&
           Enclosing == First->Enclosing;
  }

  // Ends the reading before the event at hand (a start tag `startTag`, or another event when
  // null) when it is a track point at the cut; a cut passed otherwise is told, for the next one.
  bool EndsAtCut(const XML_Char* startTag) {
    const std::uint64_t at = Offset();
    while (Cut && at >= *Cut) {
      if (at == *Cut && startTag != nullptr && StandsAsFirstPoint(startTag)) {
        EndedAt = Cut;
        EndLine = XML_GetCurrentLineNumber(Parser);
        Stopped = true;
        XML_StopParser(Parser, XML_FALSE);
        return true;
      }
      Cut = PassedCut(*Cut);
    }
    return false;
  }

  // The start tag of a GPX track point that is not inside another track: the first one is where
  // the pieces of a file may begin.
  void RecordFirstPoint(const XML_Char* qualified) {
    Enclosing.pop_back();  // the point's own
    First = XmlPointContext{Offset(), XML_GetCurrentLineNumber(Parser), qualified, Enclosing};
    TrackedDepth = Depth - 1;
  }

  // No first point so far: the names of the open elements are no longer worth holding.
  void StopWatching() {
    WatchFirst = false;
    TrackedDepth = 0;
    Enclosing = {};
  }

  // Forgets what the bytes read so far gave, keeping the parser's place in the file.
  void ForgetPoints() {
    Builder = ChunkBuilder();
    Points = 0;
    PointDepth = TrackDepth = 0;
    KmlWhens.clear();
    KmlWhenAt = 0;
    Reading = Value::kNone;
  }

  void AddPoint(double lat, double lng, std::optional<double> alt, std::string_view time) {
    if (!(std::fabs(lat) <= 90) || !(std::fabs(lng) <= 360)) return;
    PointFix fix;
    fix.lat = lat;
    fix.lng = lng;
    if (!ReadTime(time, fix)) fix = PointFix{lat, lng};
    CarriedAltitude altitude;
    if (alt && std::fabs(*alt) <= std::numeric_limits<float>::max()) altitude = {static_cast<float>(*alt), true};
    Builder.AddPoint(fix, altitude);
    ++Points;
  }

  // "lng lat [alt]" of a <gx:coord>, with the next <when> of its track.
  void AddKmlPoint(std::string_view coord) {
    std::string_view when;
    if (KmlWhenAt < KmlWhens.size()) {
      const std::size_t end = KmlWhens.find('\n', KmlWhenAt);
      when = std::string_view(KmlWhens).substr(KmlWhenAt, end - KmlWhenAt);
      KmlWhenAt = end + 1;
    }
    std::optional<double> parts[3];
    coord = Trimmed(coord);
    for (auto& part : parts) {
      const std::size_t blank = coord.find_first_of(" \t\r\n");
      if (!coord.empty()) part = Number(coord.substr(0, blank));
      coord = Trimmed(blank == std::string_view::npos ? std::string_view() : coord.substr(blank));
    }
    if (parts[0] && parts[1]) AddPoint(*parts[1], *parts[0], parts[2], when);
  }

  Value ValueOf(std::string_view name) const {
    if (PointDepth != 0) {
      if (Depth == PointDepth + 1 && (name == "ele" || name == "AltitudeMeters")) return Value::kAlt;
      if (Depth == PointDepth + 1 && (name == "time" || name == "Time")) return Value::kTime;
      if (Depth == PointDepth + 2 && name == "LatitudeDegrees") return Value::kLat;
      if (Depth == PointDepth + 2 && name == "LongitudeDegrees") return Value::kLng;
    } else if (TrackDepth != 0 && Depth == TrackDepth + 1) {
      if (name == "when") return Value::kWhen;
      if (name == "coord") return Value::kCoord;
    }
    return Value::kNone;
  }

  void StartElement(const XML_Char* qualified, const XML_Char** attributes) {
    if (Cut && EndsAtCut(qualified)) return;
    if (WatchFirst && !First && Offset() > WatchedBytes) StopWatching();
    ++Depth;
    if (Depth <= TrackedDepth) {
      Enclosing.resize(Depth - 1);
      Enclosing.emplace_back(qualified);
    }
    const std::string_view name = LocalName(qualified);
    if (PointDepth == 0 && (name == "trkpt" || name == "Trackpoint")) {
      if (WatchFirst && !First && TrackDepth == 0 && name == "trkpt" && Depth > 1) RecordFirstPoint(qualified);
      PointDepth = Depth;
      // Each value is set anew rather than the whole: the time's text keeps its room.
      Point.Lat = Point.Lng = Point.Alt = std::nullopt;
      Point.Time.clear();
      for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
        if (std::strcmp(a[0], "lat") == 0) Point.Lat = Number(a[1]);
        if (std::strcmp(a[0], "lon") == 0) Point.Lng = Number(a[1]);
      }
    } else if (PointDepth == 0 && name == "trkseg") {
      Builder.StartSegment();
    } else if (PointDepth == 0 && TrackDepth == 0 && name == "Track") {
      // A KML <gx:Track>, or a TCX <Track> (the points between two pauses): a piece of its own.
      Builder.StartSegment();
      TrackDepth = Depth;
      KmlWhens.clear();
      KmlWhenAt = 0;
    } else {
      Reading = ValueOf(name);
      Text.clear();
      TextTooLong = false;
    }
  }

  void EndElement() {
    if (Cut) EndsAtCut(nullptr);
    if (Reading != Value::kNone) EndValue();
    Reading = Value::kNone;
    if (Depth == PointDepth) {
      if (Point.Lat && Point.Lng) AddPoint(*Point.Lat, *Point.Lng, Point.Alt, Point.Time);
      PointDepth = 0;
    } else if (Depth == TrackDepth) {
      TrackDepth = 0;
      KmlWhens.clear();
    }
    if (Depth <= TrackedDepth) Enclosing.resize(Depth - 1);
    --Depth;
  }

  void EndValue() {
    const std::string_view text = TextTooLong ? std::string_view() : std::string_view(Text);
    switch (Reading) {
      case Value::kLat: Point.Lat = Number(text); break;
      case Value::kLng: Point.Lng = Number(text); break;
      case Value::kAlt: Point.Alt = Number(text); break;
      case Value::kTime: Point.Time.assign(Trimmed(text)); break;
      case Value::kCoord: AddKmlPoint(text); break;
      case Value::kWhen:
        // Whens already paired are dropped, so that a track of alternating pairs holds one.
        if (KmlWhenAt == KmlWhens.size()) {
          KmlWhens.clear();
          KmlWhenAt = 0;
        }
        KmlWhens.append(Trimmed(text).substr(0, kLongestValue)).push_back('\n');
        break;
      case Value::kNone: break;
    }
  }

  void Characters(const XML_Char* text, int length) {
    if (Cut) EndsAtCut(nullptr);
    if (Reading == Value::kNone || TextTooLong) return;
    if (Text.size() + static_cast<std::size_t>(length) > kLongestValue) {
      TextTooLong = true;
      Text.clear();
      return;
    }
    Text.append(text, static_cast<std::size_t>(length));
  }

  void StopFor(XmlStop::Reason reason) {
    if (Stopped) return;
    Stopped = true;
    Stop = {reason, XML_GetCurrentLineNumber(Parser)};
    XML_StopParser(Parser, XML_FALSE);
  }
};

namespace {

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  static_cast<XmlTrackReader::State*>(data)->StartElement(name, attributes);
}
void XMLCALL OnEnd(void* data, const XML_Char*) { static_cast<XmlTrackReader::State*>(data)->EndElement(); }
void XMLCALL OnCharacters(void* data, const XML_Char* text, int length) {
  static_cast<XmlTrackReader::State*>(data)->Characters(text, length);
}
// Any entity declaration stops the reading: track files declare none, and this is what an
// exponential expansion ("billion laughs") needs.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<XmlTrackReader::State*>(data)->StopFor(XmlStop::Reason::kEntities);
}

}  // namespace

bool XmlTracksReadable() { return true; }

XmlTrackReader::XmlTrackReader() : state_(std::make_unique<State>()) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) throw std::bad_alloc();
  state_->Parser = parser;
  XML_SetUserData(parser, state_.get());
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnCharacters);
  XML_SetEntityDeclHandler(parser, OnEntityDeclaration);
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlTrackReader::XmlTrackReader(const XmlPointContext& context, std::string_view head, std::uint64_t pieceStart)
    : XmlTrackReader() {
  State& s = *state_;
  Feed(head, false);
  s.ForgetPoints();
  s.First = context;
  s.Enclosing = context.Enclosing;
  s.TrackedDepth = context.Enclosing.size();
  s.OffsetShift = static_cast<std::int64_t>(pieceStart) - static_cast<std::int64_t>(head.size());
}

XmlTrackReader::~XmlTrackReader() { XML_ParserFree(state_->Parser); }

bool XmlTrackReader::Feed(std::string_view bytes, bool last) {
  State& s = *state_;
  if (s.Stopped) return false;
  // expat takes an int's worth at a time.
  constexpr std::size_t kMostAtOnce = 1 << 30;
  do {
    const std::size_t now = std::min(bytes.size(), kMostAtOnce);
    const bool final = last && now == bytes.size();
    if (XML_Parse(s.Parser, bytes.data(), static_cast<int>(now), final ? 1 : 0) != XML_STATUS_OK) {
      if (s.EndedAt) return false;
      if (XML_GetErrorCode(s.Parser) == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
      s.StopFor(XmlStop::Reason::kBroken);
      return false;
    }
    bytes.remove_prefix(now);
  } while (!bytes.empty());
  return true;
}

std::uint64_t XmlTrackReader::Line() const {
  return state_->EndedAt ? state_->EndLine : XML_GetCurrentLineNumber(state_->Parser);
}
std::size_t XmlTrackReader::Points() const { return state_->Points; }
XmlStop XmlTrackReader::Stop() const { return state_->Stop; }
ChunkTrack XmlTrackReader::Finish() {
  ChunkTrack track = state_->Builder.Finish();
  track.BeforeAltitude = 0;  // every point has its own altitude, known or not: none is carried
  return track;
}

void XmlTrackReader::WatchFirstPoint(std::uint64_t withinBytes) {
  state_->WatchFirst = true;
  state_->WatchedBytes = withinBytes;
  state_->TrackedDepth = std::numeric_limits<std::size_t>::max();
}
const std::optional<XmlPointContext>& XmlTrackReader::FirstPoint() const { return state_->First; }

void XmlTrackReader::EndAtCut(std::uint64_t cut, std::function<std::optional<std::uint64_t>(std::uint64_t)> passed) {
  state_->Cut = cut;
  state_->PassedCut = std::move(passed);
}
std::optional<std::uint64_t> XmlTrackReader::EndedAt() const { return state_->EndedAt; }

}  // namespace routelet
