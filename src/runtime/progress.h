#pragma once
// What the long steps of a conversion tell while they work. A step says how far it has got; the
// front end decides what the user sees of it, so no step composes a text for the user.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace routelet {

class Progress {
 public:
  virtual ~Progress() = default;

  // Another hundred lines of the log were read; `lines` counts every line read so far.
  virtual void LogLinesRead(std::int64_t lines) = 0;
  // The page's item of record `index` is next (told every hundred records) out of `total`
  // records; `index` == `total` once every item is done.
  virtual void RenderingRecord(std::size_t index, std::size_t total) = 0;
  // The capture time of the photo `name` is read next.
  virtual void ReadingPhoto(std::string_view name) = 0;
};

// Progress that nobody watches: for benchmarks, fuzzing and tests of the results alone.
class NoProgress final : public Progress {
 public:
  void LogLinesRead(std::int64_t) override {}
  void RenderingRecord(std::size_t, std::size_t) override {}
  void ReadingPhoto(std::string_view) override {}
};

}  // namespace routelet
