// Runs the built program on the cases under tests/data/e2e/, one folder per case:
//   args             the program's arguments, one per line (the program runs in a fresh folder)
//   template.dat     copied beside a copy of the program; without it there is no template
//   files/           copied into the folder the program runs in
//   root/            copied into the case's temporary folder, which holds program/ and work/
//                    (root/share/routelet/ is an installed template's place)
//   photos           lines "NAME<TAB>YYYY:MM:DD HH:MM:SS" ("-": no date), maybe "<TAB>+hh:mm" after:
//                    small JPEG files made there (NAME may hold folders) with that capture time
//                    and the offset as its OffsetTimeOriginal, maybe "<TAB>LAT LNG [ALT]" after:
//                    its own GPS position ("malformed": one with a zero denominator)
//   env              lines NAME=VALUE added to the environment (in place of a default such as TZ),
//                    $ROOT standing for that folder, as in args
//   file-size-limit  the program runs under `ulimit -f` with this value (a full disk)
//   open-file-limit  the program runs under `ulimit -n` with this value
//   expected-exit    the exit status
//   expected-stderr  what the program writes on stderr (absent: nothing)
//   expected-stdout  what the program writes on stdout (absent: not checked)
//   expected/        files that must be in the folder afterwards, byte for byte
//   absent           names that must not be in the folder afterwards, one per line
//   skip-on-windows  why the case does not apply to the Windows program (POSIX-only things)
//   skip-on-linux    why the case applies to the Windows program only
//   expected-stderr.windows  what the Windows program writes on stderr, where the system's own
//                    texts (its error messages) differ from POSIX's
//   template-check   the report `routelet --check-template` gives on the case's templates, when
//                    they do not check clean (golden_templates_test.sh reads it; not this runner)
// Every case runs with TZ=Asia/Tokyo, so that local times do not depend on the machine, and may
// leave no temporary page (".rlXXXXXX") behind. Cross-compiled, this runner is a Windows program
// that starts routelet.exe (under wine, the host's TZ sets the system's zone).
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "photos/jpeg_builder.h"
#include "runtime/text_helpers.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;
using namespace routelet::testing;

const fs::path kCasesDir = fs::path(ROUTELET_TEST_DATA_DIR) / "e2e";
#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A photo whose Exif block holds `date` as DateTimeOriginal, with `offset` when it is not empty,
// and a GPS position when `gps` is "LAT LNG" or "LAT LNG ALT" (degrees, metres) or "malformed"
// (a zero denominator); no Exif block for "-".
std::string PhotoBytes(std::string_view date, std::string_view offset, std::string_view gps) {
  if (date == "-") return Jpeg({JfifSegment()});
  const auto ownOffset = offset.empty() ? std::nullopt : std::optional(offset);
  TiffBlock tiff = CameraTiff(ByteOrder::kLittle, std::nullopt, date, std::nullopt, ownOffset, !gps.empty());
  if (!gps.empty()) {
    double lat = 0, lng = 0, alt = 0;
    const int given = std::sscanf(std::string(gps).c_str(), "%lf %lf %lf", &lat, &lng, &alt);
    CameraGps(tiff, lat, lng, given == 3 ? std::optional(alt) : std::nullopt);
    if (gps == "malformed") Rationals(tiff, 500, {{35, 0}});
  }
  return Jpeg({JfifSegment(), ExifSegment(tiff)});
}

#ifdef _WIN32
std::wstring Wide(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                           wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

// One argument as CommandLineToArgvW reads it back: quoted, backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

HANDLE Inherited(const fs::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
}

// Runs `argv` in `work` with this process's environment and `env` over it, stdin from NUL,
// stdout and stderr into the files "stdout" and "stderr" beside `work`; its exit status.
int RunProgram(std::vector<std::string> argv, std::vector<std::string> env, const fs::path& work) {
  std::wstring commandLine;
  for (const std::string& argument : argv) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
  std::wstring block;
  for (const wchar_t* at = GetEnvironmentStringsW(); *at != L'\0'; at += std::wcslen(at) + 1) {
    const std::wstring_view entry(at);
    const auto overridden = std::ranges::any_of(env, [&](const std::string& mine) {
      return entry.substr(0, entry.find(L'=') + 1) == Wide(mine.substr(0, mine.find('=') + 1));
    });
    if (!overridden) block.append(entry).push_back(L'\0');
  }
  for (const std::string& entry : env) block.append(Wide(entry)).push_back(L'\0');
  block.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inherited(work / "../stdout", GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inherited(work / "../stderr", GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), work.c_str(),
                                      &startup, &process) != 0;
  for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
  if (!started) return -1;
  DWORD status = 0;
  const bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return ended ? static_cast<int>(status) : -1;
}
#else
std::vector<char*> Pointers(std::vector<std::string>& texts) {  // ending in null, as posix_spawn takes them
  std::vector<char*> pointers(texts.size() + 1, nullptr);
  std::ranges::transform(texts, pointers.begin(), [](std::string& text) { return text.data(); });
  return pointers;
}

// Runs `argv` in `work` with `env` only, stdin from /dev/null, stdout and stderr into the files
// "stdout" and "stderr" beside `work`; its exit status.
int RunProgram(std::vector<std::string> argv, std::vector<std::string> env, const fs::path& work) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (work / "../stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (work / "../stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, MatchesTheExpectedOutcome) {
  const fs::path caseDir = kCasesDir / GetParam(), expected = caseDir / "expected";
  const auto has = [&caseDir](const char* name) { return fs::exists(caseDir / name); };
  if (const char* skip = kWindows ? "skip-on-windows" : "skip-on-linux"; has(skip)) GTEST_SKIP() << ReadAll(caseDir / skip);
#ifdef _WIN32
  const char* programName = "routelet.exe";
#else
  const char* programName = "routelet";
#endif
  TempDir temp;
  const fs::path program = temp.path() / "program", work = temp.path() / "work";
  for (const fs::path& folder : {program, work}) fs::create_directories(folder);
  fs::copy_file(fs::path(ROUTELET_BUILD_DIR) / programName, program / programName);
  if (has("template.dat")) fs::copy_file(caseDir / "template.dat", program / "template.dat");
  // The program's modules go with it, unless the case is about a run without one ("without-tile-fetch").
  for (const std::string module : {"photo-formats", "tile-fetch"}) {
    const fs::path built = fs::path(ROUTELET_BUILD_DIR) / ("routelet-" + module + ".so");
    if (fs::exists(built) && !has(("without-" + module).c_str())) fs::copy_file(built, program / built.filename());
  }
  if (has("files")) fs::copy(caseDir / "files", work, fs::copy_options::recursive);
  if (has("root")) fs::copy(caseDir / "root", temp.path(), fs::copy_options::recursive);
  for (const std::string& line : ReadLines(caseDir / "photos")) {
    const std::vector<std::string_view> fields = SplitFields(line, "\t");  // name, date, maybe an offset
    ASSERT_GE(fields.size(), 2u) << line;
    fs::create_directories((work / Utf8Path(fields[0])).parent_path());
    const auto field = [&](std::size_t i) { return fields.size() > i ? fields[i] : std::string_view(); };
    temp.Write("work/" + std::string(fields[0]), PhotoBytes(fields[1], field(2), field(3)));
  }
  std::vector<std::string> env = {"TZ=Asia/Tokyo", "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  for (const std::string& line : ReadLines(caseDir / "env")) {  // a case's value takes the place of the default
    std::erase_if(env, [&](const std::string& given) { return given.substr(0, given.find('=')) == line.substr(0, line.find('=')); });
    env.push_back(ReplaceAll(line, "$ROOT", temp.path().string()));
  }
#ifdef _WIN32
  // Under wine the system's zone is the host's TZ, which a Windows program cannot set for a
  // program it starts: a case with a zone of its own runs in a ctest test started with that TZ.
  const char* ownZone = std::getenv("TZ");
  for (const std::string& entry : env) {
    if (entry.starts_with("TZ=") && (ownZone == nullptr || entry.substr(3) != ownZone)) {
      GTEST_SKIP() << "runs in the ctest test e2e_" << GetParam() << ", under the host's " << entry;
    }
  }
#endif
#ifdef _WIN32
  std::vector<std::string> argv = {(program / programName).string()};
#else
  // Through the shell, which sets the file size and open file limits ("-": none) and then becomes the program.
  const auto limit = [&](const char* name) { return has(name) ? ReadLines(caseDir / name).at(0) : "-"; };
  std::vector<std::string> argv = {"/bin/sh", "-c",
                                   R"([ "$0" = - ] || ulimit -f "$0" || exit 125; [ "$1" = - ] || ulimit -n "$1" || exit 125; shift; exec "$@")",
                                   limit("file-size-limit"), limit("open-file-limit"), (program / "routelet").string()};
#endif
  for (const std::string& arg : ReadLines(caseDir / "args")) argv.push_back(ReplaceAll(arg, "$ROOT", temp.path().string()));

  EXPECT_EQ(RunProgram(argv, env, work), std::stoi(ReadAll(caseDir / "expected-exit")));
  const bool ownStderr = kWindows && has("expected-stderr.windows");
  // A message that names a file of the program's own temporary folder names it from $ROOT.
  EXPECT_EQ(ReplaceAll(ReadAll(temp.path() / "stderr"), temp.path().string(), "$ROOT"),
            ReadAll(caseDir / (ownStderr ? "expected-stderr.windows" : "expected-stderr")));
  EXPECT_EQ(has("expected-stdout") ? ReadAll(temp.path() / "stdout") : "", ReadAll(caseDir / "expected-stdout"));
  for (const auto& entry : has("expected") ? fs::recursive_directory_iterator(expected) : fs::recursive_directory_iterator()) {
    if (!entry.is_regular_file()) continue;
    const fs::path name = fs::relative(entry.path(), expected);
    EXPECT_TRUE(fs::exists(work / name)) << name;
    EXPECT_EQ(ReadAll(work / name), ReadAll(entry.path())) << "differs: " << name;
  }
  for (const auto& entry : fs::recursive_directory_iterator(work)) {
    const std::string name = entry.path().filename().string();
    EXPECT_FALSE(name.size() == 9 && name.starts_with(".rl")) << "a temporary page was left: " << name;
  }
  for (const std::string& name : ReadLines(caseDir / "absent")) EXPECT_FALSE(fs::exists(work / name)) << name;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCasesDir)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
  return ReplaceAll(info.param, "-", "_");
});

}  // namespace
}  // namespace routelet
