#include "photos/byte_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace routelet {
namespace {

constexpr std::uint64_t kWindow = FileByteSource::kWindowSize;

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(42);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// Reads in an order that hits the window, misses it, straddles its edges and passes the end;
// the file source must agree with the bytes every time.
TEST(ByteSource, FileReadsAgreeWithTheBytes) {
  const std::string bytes = RandomBytes(3 * kWindow + 123);
  const std::uint64_t size = bytes.size();
  routelet::testing::TempDir dir;
  FileByteSource file(dir.Write("data.bin", bytes));
  MemoryByteSource memory(bytes);
  ASSERT_TRUE(file.IsOpen());
  ASSERT_EQ(file.Size(), size);

  struct Read { std::uint64_t offset, length; };
  const std::vector<Read> reads = {
      {0, 4},          {2, 12},         {kWindow - 4, 4},  {kWindow - 3, 8},
      {100, 19},       {kWindow, 2},    {10, kWindow + 5}, {2 * kWindow + 1, kWindow},
      {size - 19, 19}, {size - 1, 1},   {size, 0},         {0, size},
      {size - 4, 8},   {size, 1},       {size + 10, 2},   {size + 1, 0},   {UINT64_MAX - 1, 4},
  };
  for (const Read& read : reads) {
    const bool fits = read.offset <= size && read.length <= size - read.offset;
    std::vector<std::uint8_t> fromFile(read.length), fromMemory(read.length);
    EXPECT_EQ(file.Read(read.offset, fromFile), fits) << read.offset << "+" << read.length;
    EXPECT_EQ(memory.Read(read.offset, fromMemory), fits) << read.offset << "+" << read.length;
    if (!fits) continue;
    EXPECT_EQ(std::string(fromFile.begin(), fromFile.end()), bytes.substr(read.offset, read.length));
    EXPECT_EQ(fromFile, fromMemory);
  }
}

}  // namespace
}  // namespace routelet
