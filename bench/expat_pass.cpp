// The least any reading of an XML file through expat costs: one pass over FILE with no handlers
// at all, on one thread, in blocks of 256 KiB as Routelet reads. Prints the seconds it took.
#include <expat.h>

#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: expat_pass FILE\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) return 1;
  const auto start = std::chrono::steady_clock::now();
  XML_Parser parser = XML_ParserCreate(nullptr);
  std::vector<char> block(256 * 1024);
  bool ok = true;
  for (std::size_t got; ok && (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    ok = XML_Parse(parser, block.data(), static_cast<int>(got), 0) == XML_STATUS_OK;
  }
  ok = ok && XML_Parse(parser, block.data(), 0, 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  std::fclose(file);
  std::printf("%.3f\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return ok ? 0 : 1;
}
