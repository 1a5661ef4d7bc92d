#include "driver/console_front_end.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace routelet {
namespace {

// A front end on two temporary files standing in for the terminal's input and stderr.
struct Terminal {
  explicit Terminal(std::string_view typed, bool errIsTerminal = true, bool inIsTerminal = true)
      : in(std::tmpfile()), err(std::tmpfile()), ui(in, err, errIsTerminal, inIsTerminal) {
    std::fwrite(typed.data(), 1, typed.size(), in);
    std::rewind(in);
  }
  ~Terminal() {
    std::fclose(in);
    std::fclose(err);
  }
  std::string Written() {
    std::rewind(err);
    std::string text;
    for (int c = std::fgetc(err); c != EOF; c = std::fgetc(err)) text.push_back(static_cast<char>(c));
    return text;
  }

  std::FILE* in;
  std::FILE* err;
  ConsoleFrontEnd ui;
};

// Without a terminal on stderr no progress is written: the end-to-end cases show that.
TEST(ConsoleFrontEnd, ProgressRewritesOneLineAndMessagesCarryTheirTitle) {
  Terminal t("");
  t.ui.SetProgress("GPSデータ解析中：100行目");
  t.ui.ShowMessage("x.logが見つかりません", "");
  t.ui.ShowMessage("x.logが正しく読みこめません", "エラー");
  EXPECT_EQ(t.Written(),
            "\r\x1b[KGPSデータ解析中：100行目\r\x1b[K"
            "Routelet: x.logが見つかりません\nエラー: x.logが正しく読みこめません\n");
}

// What is typed up to the end of the line is the path. Without a terminal to type into,
// nothing is asked and nothing is read.
TEST(ConsoleFrontEnd, ThePromptTakesOneLine) {
  const struct {
    const char *typed, *path;
    bool inIsTerminal;
  } cases[] = {{"my trip.log\nnext\n", "my trip.log", true}, {"trip.log\r\n", "trip.log", true},
               {"\n", "", true}, {"", "", true}, {"trip.log\n", "", false}};
  for (const auto& c : cases) {
    Terminal t(c.typed, true, c.inIsTerminal);
    EXPECT_EQ(t.ui.ChooseLogFile(), c.path) << c.typed;
    EXPECT_EQ(t.Written(), c.inIsTerminal ? "GPSログ: " : "");
    EXPECT_EQ(t.ui.CouldNotAsk(), !c.inIsTerminal);
  }
}

}  // namespace
}  // namespace routelet
