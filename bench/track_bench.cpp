// Reading and building the track of a week-long-class log: 200,000 fixes at 1 Hz (about 80 MB,
// with GSA and GSV lines between the fixes). Set ROUTELET_BENCH_LOG to use an existing log.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "nmea_log_writer.h"
#include "runtime/progress.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"
#include "track/read_track.h"

namespace {

using namespace routelet;

constexpr std::int64_t kFixes = 200000;

// The log the benchmarks read: generated once per process into a temporary folder, removed at exit.
class BenchLog {
 public:
  BenchLog() {
    if (const char* given = std::getenv("ROUTELET_BENCH_LOG")) {
      path_ = given;
      return;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "routelet-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    folder_ = folder;
    path_ = (folder_ / "track.nmea").string();
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    if (out == nullptr || !bench::WriteNmeaLog(out, kFixes) || std::fclose(out) != 0) std::abort();
  }
  ~BenchLog() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }
  std::int64_t bytes() const { return static_cast<std::int64_t>(std::filesystem::file_size(path_)); }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

const BenchLog& Log() {
  static const BenchLog log;
  return log;
}

void BM_ReadGpsLog(benchmark::State& state) {
  NoProgress progress;
  for (auto _ : state) {
    const Loaded<GpsLog> log = ReadGpsLog(Log().path(), progress);
    if (!log.ok()) state.SkipWithError("cannot read the log");
    benchmark::DoNotOptimize(log.Value.Lines.data());
    state.counters["kept_lines"] = static_cast<double>(log.Value.size());
  }
  state.SetBytesProcessed(state.iterations() * Log().bytes());
}

void BM_BuildTrack(benchmark::State& state) {
  NoProgress progress;
  const Loaded<GpsLog> log = ReadGpsLog(Log().path(), progress);
  if (!log.ok()) state.SkipWithError("cannot read the log");
  for (auto _ : state) {
    const Track track = BuildTrack(log.Value);
    benchmark::DoNotOptimize(track.Records.data());
    state.counters["records"] = static_cast<double>(track.Records.size());
  }
}

void BM_ReadGpsLogAndBuildTrack(benchmark::State& state) {
  NoProgress progress;
  for (auto _ : state) {
    const Loaded<GpsLog> log = ReadGpsLog(Log().path(), progress);
    if (!log.ok()) state.SkipWithError("cannot read the log");
    const Track track = BuildTrack(log.Value);
    benchmark::DoNotOptimize(track.Records.data());
  }
  state.SetBytesProcessed(state.iterations() * Log().bytes());
}

// The way a conversion reads a log: straight into the track, chunk by chunk through a window.
void BM_ReadTrack(benchmark::State& state) {
  NoProgress progress;
  for (auto _ : state) {
    const Loaded<LogTrack> log = ReadTrack(Log().path(), progress, {static_cast<unsigned>(state.range(0)), 0});
    if (!log.ok()) state.SkipWithError("cannot read the log");
    benchmark::DoNotOptimize(log.Value.Points.Records.data());
  }
  state.SetBytesProcessed(state.iterations() * Log().bytes());
}

BENCHMARK(BM_ReadGpsLog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGpsLogAndBuildTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTrack)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
