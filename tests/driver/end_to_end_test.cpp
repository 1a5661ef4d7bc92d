// Runs the built program on the cases under tests/data/e2e/, one folder per case:
//   args             the program's arguments, one per line (the program runs in a fresh folder)
//   template.dat     copied beside a copy of the program; without it there is no template
//   files/           copied into the folder the program runs in
//   photos           lines "NAME<TAB>YYYY:MM:DD HH:MM:SS" (or "-" for no date), optionally
//                    followed by "<TAB>+hh:mm": small JPEG files made in that folder (NAME may
//                    hold subfolders), with the date as their capture time and the offset as
//                    its OffsetTimeOriginal
//   expected-exit    the exit status
//   expected-stderr  what the program writes on stderr (absent: nothing)
//   expected-stdout  what the program writes on stdout (absent: not checked)
//   expected/        files that must be in the folder afterwards, byte for byte
//   absent           names that must not be in the folder afterwards, one per line
//   file-size-limit  the program runs under `ulimit -f` with this value (a full disk)
//   root/            copied into the case's temporary folder, which holds program/ and work/
//                    (root/share/routelet/ is an installed template's place)
//   env              lines NAME=VALUE added to the environment, $ROOT standing for that folder
// No case may leave a temporary page (".rlXXXXXX") behind.
// Every case runs with TZ=Asia/Tokyo, so local times do not depend on the machine.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "photos/jpeg_builder.h"
#include "support/temp_dir.h"

extern char** environ;

namespace routelet {
namespace {

namespace fs = std::filesystem;
using namespace routelet::testing;

const fs::path kCasesDir = fs::path(ROUTELET_TEST_DATA_DIR) / "e2e";
const fs::path kProgram = fs::path(ROUTELET_BUILD_DIR) / "routelet";

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A photo whose Exif block holds `date` as DateTimeOriginal, with `offset` when it is not empty;
// no Exif block for "-".
std::string PhotoBytes(const std::string& date, const std::string& offset) {
  if (date == "-") return Jpeg({JfifSegment()});
  const std::optional<std::string_view> ownOffset = offset.empty() ? std::nullopt : std::optional<std::string_view>(offset);
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, date, std::nullopt, ownOffset))});
}

struct Outcome {
  int exitStatus = -1;
  std::string stderrText;
  std::string stdoutText;
};

// Runs `program` with `args` in `folder`, stdin from /dev/null; under a file size limit when
// `fileSizeLimit` is not empty.
Outcome RunProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& folder,
                   const std::string& fileSizeLimit, const std::vector<std::string>& extraEnv) {
  const fs::path errFile = folder.parent_path() / "stderr.txt", outFile = folder.parent_path() / "stdout.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

  std::vector<std::string> env = {"TZ=Asia/Tokyo", "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings = {program.string()};
  if (!fileSizeLimit.empty()) {
    argStrings.insert(argStrings.begin(), {"/bin/sh", "-c", "ulimit -f \"$0\" && exec \"$@\"", fileSizeLimit});
  }
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  Outcome outcome;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return outcome;
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.stderrText = ReadAll(errFile);
  outcome.stdoutText = ReadAll(outFile);
  return outcome;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCasesDir)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, MatchesTheExpectedOutcome) {
  const fs::path caseDir = kCasesDir / GetParam();
  TempDir temp;
  const fs::path programDir = temp.path() / "program";
  const fs::path work = temp.path() / "work";
  fs::create_directories(programDir);
  fs::create_directories(work);
  fs::copy_file(kProgram, programDir / "routelet");
  if (fs::exists(caseDir / "template.dat")) fs::copy_file(caseDir / "template.dat", programDir / "template.dat");
  if (fs::exists(caseDir / "files")) fs::copy(caseDir / "files", work, fs::copy_options::recursive);
  if (fs::exists(caseDir / "root")) fs::copy(caseDir / "root", temp.path(), fs::copy_options::recursive);
  std::vector<std::string> env = ReadLines(caseDir / "env");
  for (std::string& line : env) line = std::regex_replace(line, std::regex(R"(\$ROOT)"), temp.path().string());
  if (fs::exists(caseDir / "photos")) {
    for (const std::string& line : ReadLines(caseDir / "photos")) {
      const std::size_t tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
      ASSERT_NE(tab, std::string::npos) << line;
      fs::create_directories((work / line.substr(0, tab)).parent_path());
      temp.Write("work/" + line.substr(0, tab), PhotoBytes(line.substr(tab + 1, tab2 - tab - 1),
                                                          tab2 == std::string::npos ? "" : line.substr(tab2 + 1)));
    }
  }

  const fs::path limit = caseDir / "file-size-limit";
  const Outcome outcome = RunProgram(programDir / "routelet", ReadLines(caseDir / "args"), work,
                                     fs::exists(limit) ? ReadLines(limit).at(0) : "", env);

  EXPECT_EQ(outcome.exitStatus, std::stoi(ReadAll(caseDir / "expected-exit")));
  const fs::path expectedStderr = caseDir / "expected-stderr";
  EXPECT_EQ(outcome.stderrText, fs::exists(expectedStderr) ? ReadAll(expectedStderr) : "");
  if (fs::exists(caseDir / "expected-stdout")) {
    EXPECT_EQ(outcome.stdoutText, ReadAll(caseDir / "expected-stdout"));
  }
  if (fs::exists(caseDir / "expected")) {
    for (const auto& entry : fs::recursive_directory_iterator(caseDir / "expected")) {
      if (!entry.is_regular_file()) continue;
      const fs::path name = fs::relative(entry.path(), caseDir / "expected");
      ASSERT_TRUE(fs::exists(work / name)) << name;
      EXPECT_EQ(ReadAll(work / name), ReadAll(entry.path())) << "differs: " << name;
    }
  }
  for (const auto& entry : fs::recursive_directory_iterator(work)) {
    EXPECT_FALSE(std::regex_search(entry.path().filename().string(), std::regex(R"(^\.rl\w{6}$)")))
        << "a temporary page was left: " << entry.path();
  }
  if (fs::exists(caseDir / "absent")) {
    for (const std::string& name : ReadLines(caseDir / "absent")) {
      EXPECT_FALSE(fs::exists(work / name)) << name << " should not exist";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace routelet
