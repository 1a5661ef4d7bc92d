#include "runtime/text_helpers.h"

namespace routelet {

void AppendReplaced(std::string& out, std::string_view text, std::string_view find,
                    std::string_view replacement) {
  if (find.empty()) {
    out += text;
    return;
  }
  // Searching the result again right after an inserted replacement is the same as searching the
  // original text right after the occurrence it replaced, so one pass over the text suffices.
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, from)) {
    out.append(text.substr(from, at - from));
    out.append(replacement);
    from = at + find.size();
  }
  out.append(text.substr(from));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  AppendReplaced(out, text, find, replacement);
  return out;
}

void SplitFields(std::string_view text, std::string_view delimiter,
                 std::vector<std::string_view>& pieces) {
  pieces.clear();
  if (delimiter.empty()) {
    pieces.push_back(text);
    return;
  }
  std::size_t start = 0;
  for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
       at = text.find(delimiter, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + delimiter.size();
  }
  pieces.push_back(text.substr(start));
}

std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delimiter) {
  std::vector<std::string_view> pieces;
  SplitFields(text, delimiter, pieces);
  return pieces;
}

}  // namespace routelet
