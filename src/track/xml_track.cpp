#include "track/xml_track.h"

#include "track/log_lines.h"

namespace routelet {

bool LooksLikeXml(std::string_view start) {
  if (start.starts_with(kUtf8ByteOrderMark)) start.remove_prefix(kUtf8ByteOrderMark.size());
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && start[first] == '<';
}

}  // namespace routelet
