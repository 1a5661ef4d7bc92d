// A Windows run ended while it converts a 200,000-fix log (Ctrl+Break sent to its console, or
// the process ended outright as a closed console ends it) leaves the old page or the whole new
// one beside the log, and no temporary file. (Under wine 8 the break does not reach the
// desktop-subsystem program, which then finishes its page: only the outright end is put to the
// test there.)
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "../../bench/nmea_log_writer.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;
using namespace routelet::testing;

bool HasTemporary(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().wstring().starts_with(L".rl")) return true;
  }
  return false;
}

// Starts the program on the log in `folder`, in a process group of its own on this console.
PROCESS_INFORMATION StartRun(const fs::path& folder) {
  std::wstring commandLine = L"\"" + (folder / "routelet.exe").wstring() + L"\" --console trip.log";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                 folder.c_str(), &startup, &process);
  return process;
}

// Waits, without sleeping, until the run has a temporary page or has ended; bounded.
void AwaitTemporaryOrEnd(const fs::path& folder, HANDLE process) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!HasTemporary(folder) && WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
         std::chrono::steady_clock::now() < deadline) {
  }
}

// Waits, without sleeping, for the temporary page to be gone; bounded. The system removes a file
// marked to vanish with the last handle of an ended process, which under wine may come just
// after the process counts as ended.
bool TemporaryGone(const fs::path& folder) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (HasTemporary(folder)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
  return true;
}

TEST(EndedRun, LeavesTheOldPageOrTheNewOneAndNothingElse) {
  AllocConsole();  // fails when there is one already
  TempDir dir;
  std::FILE* log = _wfopen((dir.path() / "trip.log").c_str(), L"wb");
  ASSERT_TRUE(log != nullptr && bench::WriteNmeaLog(log, 200000) && std::fclose(log) == 0);
  fs::copy_file(fs::path(ROUTELET_BUILD_DIR) / "routelet.exe", dir.path() / "routelet.exe");
  dir.Write("template.dat", "[recordlist]\r\n*recordlist\r\n[index] [timestr] [lat] [lng]\r\n");
  const PROCESS_INFORMATION whole = StartRun(dir.path());
  ASSERT_EQ(WaitForSingleObject(whole.hProcess, 120000), WAIT_OBJECT_0);
  const std::string newPage = ReadAll(dir.path() / "trip.html");
  ASSERT_GT(newPage.size(), 1000000u);
  for (const bool outright : {false, true}) {
    dir.Write("trip.html", "old");
    const PROCESS_INFORMATION run = StartRun(dir.path());
    AwaitTemporaryOrEnd(dir.path(), run.hProcess);
    if (outright) {
      TerminateProcess(run.hProcess, 130);
    } else {
      GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, run.dwProcessId);
    }
    EXPECT_EQ(WaitForSingleObject(run.hProcess, 60000), WAIT_OBJECT_0) << outright;
    const std::string page = ReadAll(dir.path() / "trip.html");
    EXPECT_TRUE(page == "old" || page == newPage) << outright << ": " << page.size() << " bytes";
    EXPECT_TRUE(TemporaryGone(dir.path())) << outright;
    for (const HANDLE handle : {run.hProcess, run.hThread}) CloseHandle(handle);
  }
  for (const HANDLE handle : {whole.hProcess, whole.hThread}) CloseHandle(handle);
}

}  // namespace
}  // namespace routelet
