#include "photos/byte_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace routelet {
namespace {

// Reads in an order that hits the file source's window, misses it, straddles its edges and
// passes the end: both sources must agree with the bytes, and refuse what lies outside them.
TEST(ByteSource, ReadsAgreeWithTheBytesAndStayInside) {
  constexpr std::uint64_t kWindow = FileByteSource::kWindowSize;
  std::mt19937 random(42);
  std::string bytes(3 * kWindow + 123, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  const std::uint64_t size = bytes.size();
  routelet::testing::TempDir dir;
  FileByteSource file(dir.Write("data.bin", bytes));
  MemoryByteSource memory(bytes);
  ASSERT_TRUE(file.IsOpen());
  ASSERT_EQ(file.Size(), size);
  const std::pair<std::uint64_t, std::uint64_t> reads[] = {  // offset, length
      {0, 4},          {2, 12},       {kWindow - 4, 4}, {kWindow - 3, 8},  {100, 19},      {kWindow, 2},
      {10, kWindow + 5}, {2 * kWindow + 1, kWindow},   {size - 19, 19},   {size - 1, 1},   {size, 0},
      {0, size},       {size - 4, 8}, {size, 1},        {size + 10, 2},    {size + 1, 0},   {UINT64_MAX - 1, 4},
  };
  for (const auto& [offset, length] : reads) {
    const bool fits = offset <= size && length <= size - offset;
    std::vector<std::uint8_t> fromFile(length), fromMemory(length);
    EXPECT_EQ(file.Read(offset, fromFile), fits) << offset << "+" << length;
    EXPECT_EQ(memory.Read(offset, fromMemory), fits) << offset << "+" << length;
    if (!fits) continue;
    EXPECT_EQ(std::string(fromFile.begin(), fromFile.end()), bytes.substr(offset, length));
    EXPECT_EQ(fromFile, fromMemory);
  }
}

}  // namespace
}  // namespace routelet
