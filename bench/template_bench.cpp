// Cutting a template of many sections into the store must stay linear in the number of
// sections: each header looks its name up once.
#include <benchmark/benchmark.h>

#include <string>

#include "template/section_store.h"

namespace {

void BM_ParseManySections(benchmark::State& state) {
  const auto sections = static_cast<std::size_t>(state.range(0));
  std::string text = "<html>[recordlist]</html>\r\n";
  for (std::size_t i = 0; i < sections; ++i) text += "*Section" + std::to_string(i) + "\r\n<p>" + std::to_string(i) + "</p>\r\n";
  for (auto _ : state) {
    routelet::SectionStore store;
    routelet::ParseSections(text, store);
    benchmark::DoNotOptimize(store.Find("section0"));
  }
  state.SetComplexityN(static_cast<benchmark::IterationCount>(sections));
}
BENCHMARK(BM_ParseManySections)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
