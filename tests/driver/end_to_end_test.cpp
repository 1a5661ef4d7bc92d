// Runs the built program on the cases under tests/data/e2e/, one folder per case:
//   args             the program's arguments, one per line (the program runs in a fresh folder)
//   template.dat     copied beside a copy of the program; without it there is no template
//   files/           copied into the folder the program runs in
//   root/            copied into the case's temporary folder, which holds program/ and work/
//                    (root/share/routelet/ is an installed template's place)
//   photos           lines "NAME<TAB>YYYY:MM:DD HH:MM:SS" ("-": no date), maybe "<TAB>+hh:mm" after:
//                    small JPEG files made there (NAME may hold folders) with that capture time
//                    and the offset as its OffsetTimeOriginal
//   env              lines NAME=VALUE added to the environment, $ROOT standing for that folder
//   file-size-limit  the program runs under `ulimit -f` with this value (a full disk)
//   open-file-limit  the program runs under `ulimit -n` with this value
//   expected-exit    the exit status
//   expected-stderr  what the program writes on stderr (absent: nothing)
//   expected-stdout  what the program writes on stdout (absent: not checked)
//   expected/        files that must be in the folder afterwards, byte for byte
//   absent           names that must not be in the folder afterwards, one per line
// Every case runs with TZ=Asia/Tokyo, so that local times do not depend on the machine, and may
// leave no temporary page (".rlXXXXXX") behind.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

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

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A photo whose Exif block holds `date` as DateTimeOriginal, with `offset` when it is not empty;
// no Exif block for "-".
std::string PhotoBytes(std::string_view date, std::string_view offset) {
  if (date == "-") return Jpeg({JfifSegment()});
  const auto ownOffset = offset.empty() ? std::nullopt : std::optional(offset);
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, date, std::nullopt, ownOffset))});
}

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

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, MatchesTheExpectedOutcome) {
  const fs::path caseDir = kCasesDir / GetParam(), expected = caseDir / "expected";
  const auto has = [&caseDir](const char* name) { return fs::exists(caseDir / name); };
  TempDir temp;
  const fs::path program = temp.path() / "program", work = temp.path() / "work";
  for (const fs::path& folder : {program, work}) fs::create_directories(folder);
  fs::copy_file(fs::path(ROUTELET_BUILD_DIR) / "routelet", program / "routelet");
  if (has("template.dat")) fs::copy_file(caseDir / "template.dat", program / "template.dat");
  if (has("files")) fs::copy(caseDir / "files", work, fs::copy_options::recursive);
  if (has("root")) fs::copy(caseDir / "root", temp.path(), fs::copy_options::recursive);
  for (const std::string& line : ReadLines(caseDir / "photos")) {
    const std::vector<std::string_view> fields = SplitFields(line, "\t");  // name, date, maybe an offset
    ASSERT_GE(fields.size(), 2u) << line;
    fs::create_directories((work / fields[0]).parent_path());
    temp.Write("work/" + std::string(fields[0]), PhotoBytes(fields[1], fields.size() > 2 ? fields[2] : ""));
  }
  std::vector<std::string> env = {"TZ=Asia/Tokyo", "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  for (const std::string& line : ReadLines(caseDir / "env")) env.push_back(ReplaceAll(line, "$ROOT", temp.path().string()));
  // Through the shell, which sets the file size and open file limits ("-": none) and then becomes the program.
  const auto limit = [&](const char* name) { return has(name) ? ReadLines(caseDir / name).at(0) : "-"; };
  std::vector<std::string> argv = {"/bin/sh", "-c",
                                   R"([ "$0" = - ] || ulimit -f "$0" || exit 125; [ "$1" = - ] || ulimit -n "$1" || exit 125; shift; exec "$@")",
                                   limit("file-size-limit"), limit("open-file-limit"), (program / "routelet").string()};
  for (const std::string& arg : ReadLines(caseDir / "args")) argv.push_back(arg);

  EXPECT_EQ(RunProgram(argv, env, work), std::stoi(ReadAll(caseDir / "expected-exit")));
  EXPECT_EQ(ReadAll(temp.path() / "stderr"), ReadAll(caseDir / "expected-stderr"));  // no file reads as ""
  EXPECT_EQ(has("expected-stdout") ? ReadAll(temp.path() / "stdout") : "", ReadAll(caseDir / "expected-stdout"));
  for (const auto& entry : has("expected") ? fs::recursive_directory_iterator(expected) : fs::recursive_directory_iterator()) {
    if (!entry.is_regular_file()) continue;
    const fs::path name = fs::relative(entry.path(), expected);
    EXPECT_TRUE(fs::exists(work / name)) << name;
    EXPECT_EQ(ReadAll(work / name), ReadAll(entry.path())) << "differs: " << name;
  }
  for (const auto& entry : fs::recursive_directory_iterator(work)) {
    const std::string name = entry.path().filename();
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
