#pragma once
// Compressed logs (.gz, found by their content): their bytes inflated block by block through
// zlib, so that a compressed log of any size costs the memory of one block, as a plain one does.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace routelet {

// Whether `start`, a file's first bytes, is gzip data: it begins with gzip's magic bytes 1F 8B.
// No NMEA log or XML file begins so.
bool LooksGzipped(std::string_view start);

// Gives the next block of a file's bytes: empty at its end, nothing after a failed read.
using ByteBlocks = std::function<std::optional<std::string_view>()>;

// The bytes that gzip data inflates to, block after block, from the compressed blocks that
// `compressed` gives. Several gzip members one after another inflate to their bytes in turn, as
// gzip itself does; anything after the last member but zeros is passed over.
class GzipStream {
 public:
  explicit GzipStream(ByteBlocks compressed);
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // The next inflated bytes; empty at the data's end, also when it ended broken (Broken() says
  // so); nothing after a failed read of the compressed bytes.
  std::optional<std::string_view> operator()();
  // Whether the data ended before its last member did (a file cut short) or is damaged: the
  // bytes given so far are all that could be had.
  bool Broken() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace routelet
