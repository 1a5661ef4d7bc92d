// Filling a placeholder that occurs in every record item must stay linear in the page's size.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/text_helpers.h"

namespace {

void BM_ReplaceAllManyMatches(benchmark::State& state) {
  const auto items = static_cast<std::size_t>(state.range(0));
  std::string body;
  for (std::size_t i = 0; i < items; ++i) body += "<tr><td>[filename]</td><td>35.6812</td></tr>\r\n";
  for (auto _ : state) {
    std::string page = routelet::ReplaceAll(body, "[filename]", "/home/user/logs/2026-12-06 trip.log");
    benchmark::DoNotOptimize(page.data());
  }
  state.SetComplexityN(static_cast<benchmark::IterationCount>(items));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ReplaceAllManyMatches)->Arg(50000)->Arg(500000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
