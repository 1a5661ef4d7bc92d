// gzip data inflated through zlib, one block of output at a time.
#include "track/gzip_stream.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <utility>

namespace routelet {
namespace {

// The inflated bytes given at a time: as large as a plain log's read window.
constexpr std::size_t kInflatedBlockBytes = 256 * 1024;
// zlib's window bits for gzip data alone (15, the largest window, + 16 for the gzip wrapper).
constexpr int kGzipWindowBits = 15 + 16;

}  // namespace

bool LooksGzipped(std::string_view start) { return start.starts_with("\x1F\x8B"); }

struct GzipStream::State {
  ByteBlocks Compressed;
  z_stream Zlib{};
  std::unique_ptr<unsigned char[]> Inflated = std::make_unique_for_overwrite<unsigned char[]>(kInflatedBlockBytes);
  std::string_view Input;   // compressed bytes read and not yet inflated
  bool InputEnded = false;  // Compressed gave its end
  bool BetweenMembers = true;
  bool Done = false;
  bool Broken = false;

  // Makes sure some compressed bytes are at hand; false after a failed read.
  bool ReadInput() {
    if (!Input.empty() || InputEnded) return true;
    const std::optional<std::string_view> block = Compressed();
    if (!block) return false;
    Input = *block;
    InputEnded = block->empty();
    return true;
  }

  // Ends the data: at its end, before a member's end it is cut short.
  void End() {
    Done = true;
    Broken = Broken || !BetweenMembers;
  }

  // Inflates what Input holds into the free room of the output.
  void Inflate() {
    if (BetweenMembers) {
      // Another member begins with gzip's magic; zeros or anything else after a member end
      // the data, as gzip passes over such a tail.
      if (static_cast<unsigned char>(Input.front()) != 0x1F) return End();
      BetweenMembers = false;
      if (inflateReset(&Zlib) != Z_OK) throw std::bad_alloc();
    }
    const auto taken = static_cast<uInt>(std::min<std::size_t>(Input.size(), 1U << 30));
    Zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Input.data()));
    Zlib.avail_in = taken;
    const int status = inflate(&Zlib, Z_NO_FLUSH);
    Input.remove_prefix(taken - Zlib.avail_in);
    if (status == Z_MEM_ERROR) throw std::bad_alloc();
    if (status == Z_STREAM_END) {
      BetweenMembers = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      Broken = true;
      Done = true;
    }
  }
};

GzipStream::GzipStream(ByteBlocks compressed) : state_(std::make_unique<State>()) {
  state_->Compressed = std::move(compressed);
  if (inflateInit2(&state_->Zlib, kGzipWindowBits) != Z_OK) throw std::bad_alloc();
}

GzipStream::~GzipStream() { inflateEnd(&state_->Zlib); }

std::optional<std::string_view> GzipStream::operator()() {
  State& s = *state_;
  s.Zlib.next_out = s.Inflated.get();
  s.Zlib.avail_out = kInflatedBlockBytes;
  while (!s.Done && s.Zlib.avail_out == kInflatedBlockBytes) {
    if (!s.ReadInput()) return std::nullopt;
    if (s.Input.empty()) {
      s.End();
    } else {
      s.Inflate();
    }
  }
  return std::string_view(reinterpret_cast<const char*>(s.Inflated.get()), kInflatedBlockBytes - s.Zlib.avail_out);
}

bool GzipStream::Broken() const { return state_->Broken; }

}  // namespace routelet
