#pragma once
// The kept sentences of a log: views into one buffer that holds the decoded file.
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

struct LogLineList {
  LogLineList() = default;
  // The views point into `buffer`; a copy or a move (of a short, inline-stored text) would
  // leave them pointing at the old storage, so the list stays where it was filled.
  LogLineList(const LogLineList&) = delete;
  LogLineList& operator=(const LogLineList&) = delete;

  std::string buffer;                   // the whole decoded log
  std::vector<std::string_view> lines;  // kept lines, in file order, without line endings

  std::size_t size() const { return lines.size(); }
};

}  // namespace routelet
