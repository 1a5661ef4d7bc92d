#include "output/check_template.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <map>
#include <set>

#include "output/placeholders.h"
#include "platform/text_encoding.h"
#include "platform/translations.h"
#include "runtime/letter_case.h"
#include "runtime/text_file.h"
#include "runtime/utf8.h"

namespace routelet {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
// Bad bytes told one by one; the rest are counted in one more line.
constexpr std::size_t kBadBytesTold = 3;
// A name this many letters from a known one, or fewer, is taken as a misspelling of it.
constexpr std::size_t kMisspelling = 2;

// Letters to change, add or drop to make `a` into `b`, letter case aside.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const std::string x = FoldedCase(a), y = FoldedCase(b);
  std::vector<std::size_t> row(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

// The known name nearest to `name`, when it is near enough to be what was meant.
std::optional<std::string_view> Nearest(std::string_view name, const std::vector<std::string_view>& known) {
  std::optional<std::string_view> best;
  std::size_t bestDistance = kMisspelling + 1;
  for (const std::string_view candidate : known) {
    const std::size_t distance = EditDistance(name, candidate);
    if (distance < bestDistance && distance < name.size()) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

bool IsList(std::string_view name) {
  return std::ranges::any_of(kItemLists, [name](const ItemList& list) { return list.Placeholder == name; });
}

// The row of kPlaceholders that puts the text of sections of `scope` into the page.
std::ptrdiff_t RowPuttingIn(PlaceholderScope scope) {
  for (const ItemList& list : kItemLists) {
    if (list.Scope != scope && list.AlsoScope != scope) continue;
    const auto row = std::ranges::find_if(kPlaceholders, [&](const Placeholder& placeholder) {
      return placeholder.Scope == PlaceholderScope::kBody && placeholder.Text == list.Placeholder;
    });
    return row - std::begin(kPlaceholders);
  }
  return 0;
}

// Whether `placeholder` (a row of kPlaceholders) is filled in a section of `scope`. The page's
// placeholders are filled one after another over the whole page, so within the items too when
// they come after the items' list, but for the lists themselves.
bool FilledIn(const Placeholder& placeholder, PlaceholderScope scope) {
  if (placeholder.Scope == scope) return true;
  return placeholder.Scope == PlaceholderScope::kBody && !IsList(placeholder.Text) &&
         &placeholder - std::begin(kPlaceholders) > RowPuttingIn(scope);
}

std::vector<std::string_view> PlaceholdersOf(PlaceholderScope scope) {
  std::vector<std::string_view> names;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (FilledIn(placeholder, scope)) names.push_back(placeholder.Text);
  }
  return names;
}

const KnownSection* SectionNamed(std::string_view name) {
  for (const KnownSection& section : kKnownSections) {
    if (EqualsIgnoringCase(section.Name, name)) return &section;
  }
  return nullptr;
}

std::string ScopeText(PlaceholderScope scope) {
  switch (scope) {
    case PlaceholderScope::kBody: return platform::TranslatedText("the page body");
    case PlaceholderScope::kRecordItem: return "*recordlist";
    case PlaceholderScope::kPhotoItem: return "*photolist";
    case PlaceholderScope::kSegmentItem: return "*segmentlist";
    case PlaceholderScope::kSegmentBreak: return "*segmentbreak";
  }
  return {};
}

bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == ':'; }
bool EndsSubscriptedCode(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == ')' || c == ']'; }

// Characters, not bytes, before `at` in `line`: the column a text editor shows, less one.
std::size_t CharactersBefore(std::string_view line, std::size_t at) {
  return static_cast<std::size_t>(std::count_if(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at),
                                                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

class Checker {
 public:
  std::vector<TemplateProblem> Problems;

  void CheckLines(std::string_view text) {
    LineReader reader(text);
    std::size_t number = 0;
    for (std::string_view line; reader.Next(line);) {
      ++number;
      if (!line.empty() && line.front() == '*') {
        StartSection(line.substr(1), number);
      } else if (section_ != nullptr && section_->HasPlaceholders) {
        CheckNames(line, number);
      }
    }
  }

  void CheckLists() {
    if (!bodyLists_.contains("[recordlist]") && !hasPackedTrack_) {
      Tell(1, 0, platform::TranslatedText("the page body has no [recordlist]: the page lists none of the log's points"));
    }
    for (const ItemList& list : kItemLists) {
      const auto found = bodyLists_.find(list.Placeholder);
      if (found != bodyLists_.end() && !sections_.contains(std::string(list.Section))) {
        Tell(found->second.first, found->second.second,
             platform::FormattedText("%s lists the items of *%s, but the template has no such section", {list.Placeholder, list.Section}));
      }
    }
  }

  void Tell(std::size_t line, std::size_t columnLessOne, std::string text) {
    Problems.push_back({line, columnLessOne + 1, std::move(text)});
  }

 private:
  void StartSection(std::string_view name, std::size_t number) {
    section_ = SectionNamed(name);
    sections_.insert(FoldedCase(name));
    if (section_ != nullptr) return;
    std::vector<std::string_view> known;
    for (const KnownSection& section : kKnownSections) known.push_back(section.Name);
    const std::optional<std::string_view> nearest = Nearest(name, known);
    const std::string header = "*" + std::string(name);
    Tell(number, 0,
         nearest ? platform::FormattedText("no rule reads the section %s (did you mean *%s?)", {header, *nearest})
                 : platform::FormattedText("no rule reads the section %s", {header}));
  }

  void CheckNames(std::string_view line, std::size_t number) {
    const PlaceholderScope scope = section_->Scope;
    if (scope == PlaceholderScope::kBody) {
      hasPackedTrack_ = hasPackedTrack_ || line.find(kPackedTrackPlaceholder) != std::string_view::npos;
      for (const ItemList& list : kItemLists) {
        const std::size_t at = line.find(list.Placeholder);
        if (at != std::string_view::npos) bodyLists_.try_emplace(list.Placeholder, number, CharactersBefore(line, at));
      }
    }
    std::size_t placeholderEnd = std::string_view::npos;  // just past the last placeholder-like name
    for (std::size_t open = line.find('['); open != std::string_view::npos; open = line.find('[', open + 1)) {
      std::size_t end = open + 1;
      while (end < line.size() && IsNameCharacter(line[end])) ++end;
      if (end == open + 1 || std::isalpha(static_cast<unsigned char>(line[open + 1])) == 0) continue;
      const bool closed = end < line.size() && line[end] == ']';
      if (!closed && end < line.size()) continue;  // "[a b]", "[x]" in text: no name
      const std::string_view name = line.substr(open, end - open + (closed ? 1 : 0));
      const bool subscript = open > 0 && EndsSubscriptedCode(line[open - 1]) && open != placeholderEnd &&
                             name.find(':') == std::string_view::npos;
      if (subscript) continue;
      placeholderEnd = end + 1;
      const std::size_t column = CharactersBefore(line, open);
      if (!closed) {
        Tell(number, column, platform::FormattedText("%s is not closed with ] before the line ends", {name}));
      } else {
        CheckName(name, scope, number, column);
      }
    }
  }

  void CheckName(std::string_view name, PlaceholderScope scope, std::size_t number, std::size_t column) {
    std::optional<PlaceholderScope> elsewhere;
    for (const Placeholder& placeholder : kPlaceholders) {
      if (placeholder.Text != name) continue;
      if (FilledIn(placeholder, scope)) return;
      elsewhere = placeholder.Scope;
    }
    if (elsewhere) {
      Tell(number, column, platform::FormattedText("%s is not filled here: it is a placeholder of %s", {name, ScopeText(*elsewhere)}));
      return;
    }
    const std::optional<std::string_view> nearest = Nearest(name, PlaceholdersOf(scope));
    Tell(number, column,
         nearest ? platform::FormattedText("%s is not a placeholder of %s (did you mean %s?)", {name, ScopeText(scope), *nearest})
                 : platform::FormattedText("%s is not a placeholder of %s", {name, ScopeText(scope)}));
  }

  const KnownSection* section_ = &kKnownSections[0];  // the body, until the first header
  std::set<std::string> sections_;                     // the headers' names, letter case folded
  bool hasPackedTrack_ = false;                        // the body lists the points as one text
  std::map<std::string_view, std::pair<std::size_t, std::size_t>> bodyLists_;  // where each list is first
};

// Tells where the decoded text has a character for bytes that were not valid in the encoding.
void CheckDecoding(std::string_view text, std::string_view encoding, Checker& checker) {
  std::size_t found = 0, number = 0;
  LineReader reader(text);
  for (std::string_view line; reader.Next(line);) {
    ++number;
    for (std::size_t at = line.find(kReplacementCharacter); at != std::string_view::npos;
         at = line.find(kReplacementCharacter, at + 1)) {
      if (++found <= kBadBytesTold) {
        checker.Tell(number, CharactersBefore(line, at), platform::FormattedText("a byte that is not valid %s", {encoding}));
      } else if (found == kBadBytesTold + 1) {
        checker.Tell(number, CharactersBefore(line, at), platform::FormattedText("and more bytes that are not valid %s from here", {encoding}));
      }
    }
  }
}

}  // namespace

std::vector<TemplateProblem> CheckTemplate(std::string_view bytes) {
  Checker checker;
  std::string text;
  if (IsValidUtf8(bytes)) {
    text = DecodeText(std::string(bytes));
  } else if (std::optional<std::string> decoded = platform::DecodeCodePage932(bytes)) {
    text = std::move(*decoded);
    CheckDecoding(text, "Shift_JIS", checker);
  } else {
    text = SanitizeUtf8(bytes);
    CheckDecoding(text, "UTF-8", checker);
  }
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    checker.Tell(1, 0, platform::TranslatedText("the template is empty: its page is empty, and nothing is written"));
    return checker.Problems;
  }
  checker.CheckLines(text);
  checker.CheckLists();
  std::ranges::stable_sort(checker.Problems, [](const TemplateProblem& a, const TemplateProblem& b) {
    return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
  });
  return checker.Problems;
}

std::string ProblemLine(std::string_view path, const TemplateProblem& problem) {
  return std::string(path) + ":" + std::to_string(problem.Line) + ":" + std::to_string(problem.Column) + ": " + problem.Text;
}

}  // namespace routelet
