#pragma once
// gzip data made for tests, as gzip would make it, through zlib.
#include <zlib.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace routelet::testing {

// `text` compressed as gzip data; as one member after another, each of `memberBytes` of the
// text, when that is given (inflating such data hands the bytes over in pieces that small).
inline std::string Gzipped(std::string_view text, std::size_t memberBytes = 0) {
  if (memberBytes == 0) memberBytes = std::max<std::size_t>(text.size(), 1);
  std::string data;
  do {
    const std::string_view member = text.substr(0, memberBytes);
    text.remove_prefix(member.size());
    z_stream zlib{};
    deflateInit2(&zlib, Z_BEST_COMPRESSION, Z_DEFLATED, 9 + 16, 1, Z_DEFAULT_STRATEGY);  // small: many members are made
    std::string out(deflateBound(&zlib, member.size()) + 32, '\0');
    zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
    zlib.avail_in = static_cast<uInt>(member.size());
    zlib.next_out = reinterpret_cast<Bytef*>(out.data());
    zlib.avail_out = static_cast<uInt>(out.size());
    deflate(&zlib, Z_FINISH);
    out.resize(zlib.total_out);
    deflateEnd(&zlib);
    data += out;
  } while (!text.empty());
  return data;
}

}  // namespace routelet::testing
