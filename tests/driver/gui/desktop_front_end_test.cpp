// The desktop front end as the run uses it: progress window, a message box on top of it, and
// closing.
#include "driver/gtk/desktop_front_end.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui_test_support.h"

namespace routelet {
namespace {

using namespace std::chrono_literals;
using routelet::testing::FirstLabelIn;
using routelet::testing::LaterAction;

std::unique_ptr<FrontEnd> MakeFrontEnd() {
  static char name[] = "routelet";
  static char* arguments[] = {name, nullptr};
  int argc = 1;
  char** argv = arguments;
  return MakeDesktopFrontEnd(argc, argv);
}

// The visible windows titled "Routelet": the progress window and message boxes alike.
std::vector<GtkWindow*> ProgramWindows() { return routelet::testing::VisibleWindowsTitled("Routelet"); }

GtkWindow* ProgressWindowShown() {
  for (GtkWindow* window : ProgramWindows()) {
    if (!GTK_IS_DIALOG(window)) return window;
  }
  return nullptr;
}

class DesktopFrontEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ROUTELET_REQUIRE_DISPLAY();
    ui_ = MakeFrontEnd();
    ASSERT_NE(ui_, nullptr);
  }
  std::unique_ptr<FrontEnd> ui_;
};

TEST_F(DesktopFrontEndTest, AMessageOverTheProgressWindowLeavesItAsItWas) {
  ui_->ShowProgressWindow();
  ui_->SetProgress("GPSデータ解析中：100行目");
  std::string boxText;
  int windowsDuringMessage = 0;
  LaterAction user(200ms, [&] {
    windowsDuringMessage = static_cast<int>(ProgramWindows().size());
    for (GtkWindow* window : ProgramWindows()) {
      if (!GTK_IS_MESSAGE_DIALOG(window)) continue;
      boxText = gtk_label_get_text(FirstLabelIn(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(window))));
      gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_OK);
    }
  });
  ui_->ShowMessage("/tmp/a.logが見つかりません", "");  // no title: the program's own
  EXPECT_TRUE(user.fired());
  EXPECT_EQ(windowsDuringMessage, 2);
  EXPECT_EQ(boxText, "/tmp/a.logが見つかりません");

  GtkWindow* window = ProgressWindowShown();
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(gtk_label_get_text(FirstLabelIn(GTK_WIDGET(window))), "GPSデータ解析中：100行目");
  ui_->CloseProgressWindow();
  EXPECT_TRUE(ProgramWindows().empty());
}

}  // namespace
}  // namespace routelet
