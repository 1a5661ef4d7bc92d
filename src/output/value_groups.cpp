#include "output/value_groups.h"

#include <algorithm>

namespace routelet {
namespace {

enum class Held { kNone, kAllKnown, kSomeEmpty };

// Whether the text of a group holds placeholders of `scope`, and whether one of them is empty.
Held HeldPlaceholders(std::string_view inner, PlaceholderScope scope, const std::function<bool(Fill)>& comesOutEmpty) {
  Held held = Held::kNone;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (placeholder.Scope != scope || inner.find(placeholder.Text) == std::string_view::npos) continue;
    if (comesOutEmpty(placeholder.What)) return Held::kSomeEmpty;
    held = Held::kAllKnown;
  }
  return held;
}

}  // namespace

std::string KeepGroupsWithValues(std::string_view text, PlaceholderScope scope,
                                 const std::function<bool(Fill)>& comesOutEmpty) {
  std::string kept;
  std::size_t from = 0;
  for (std::size_t open = text.find(kGroupOpen); open != std::string_view::npos; open = text.find(kGroupOpen, from)) {
    const std::size_t lineEnd = std::min(text.find_first_of("\r\n", open), text.size());
    const std::size_t close = text.substr(0, lineEnd).find(kGroupClose, open + kGroupOpen.size());
    const std::string_view inner =
        close == std::string_view::npos ? std::string_view() : text.substr(open + kGroupOpen.size(), close - open - kGroupOpen.size());
    const Held held = close == std::string_view::npos ? Held::kNone : HeldPlaceholders(inner, scope, comesOutEmpty);
    if (held == Held::kNone) {  // no group: the marks are text
      kept += text.substr(from, open + kGroupOpen.size() - from);
      from = open + kGroupOpen.size();
      continue;
    }
    kept += text.substr(from, open - from);
    if (held == Held::kAllKnown) kept += inner;
    from = close + kGroupClose.size();
  }
  kept += text.substr(from);
  return kept;
}

}  // namespace routelet
