// The message box: its title, its text as given, one OK button that Return presses, and a long
// path shown whole.
#include "driver/gtk/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "gui_test_support.h"

namespace routelet {
namespace {

using namespace std::chrono_literals;
using routelet::testing::FirstLabelIn;
using routelet::testing::LaterAction;
using routelet::testing::Settle;
using routelet::testing::VisibleWindowsTitled;

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ROUTELET_REQUIRE_DISPLAY(); }
};

std::string TextOf(GtkWidget* box) {
  gchar* text = nullptr;
  g_object_get(box, "text", &text, nullptr);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

TEST_F(MessageBoxTest, ShowsTheTextAsGivenUnderTheGivenOrTheProgramTitle) {
  struct Case {
    std::string text;
    std::string title;
    std::string shownText;
    std::string shownTitle;
  };
  const Case cases[] = {
      {"template.datが見つかりません", "", "template.datが見つかりません", "Routelet"},
      {"template.datが正しく読みこめません", "エラー", "template.datが正しく読みこめません", "エラー"},
      // printf-style sequences in a path are shown, not expanded
      {"/tmp/100%s %d %n.logが見つかりません", "", "/tmp/100%s %d %n.logが見つかりません", "Routelet"},
      {"/tmp/\x82\xA0.logが見つかりません", "", "/tmp/\xEF\xBF\xBD\xEF\xBF\xBD.logが見つかりません", "Routelet"},
  };
  for (const Case& c : cases) {
    GtkWidget* box = CreateMessageBox(nullptr, c.text, c.title);
    EXPECT_EQ(TextOf(box), c.shownText);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(box)), c.shownTitle.c_str());
    gtk_widget_destroy(box);
  }
}

TEST_F(MessageBoxTest, IsModalWithOneDefaultOkButtonAndNoIcon) {
  GtkWidget* box = CreateMessageBox(nullptr, "text", "");
  EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(box)));
  GtkMessageType type = GTK_MESSAGE_INFO;
  g_object_get(box, "message-type", &type, nullptr);
  EXPECT_EQ(type, GTK_MESSAGE_OTHER);  // the kind without an icon

  GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  ASSERT_NE(ok, nullptr);
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(ok)));
  EXPECT_EQ(g_list_length(buttons), 1u);
  g_list_free(buttons);
  EXPECT_TRUE(gtk_widget_has_default(ok));  // Return presses it
  gtk_widget_destroy(box);
}

TEST_F(MessageBoxTest, ALongPathWrapsAndShowsWhole) {
  std::string path = "/home/user";
  while (path.size() < 600) path += "/とても長いフォルダの名前_with_ascii_and_no_blanks";
  const std::string text = path + "/track.logが見つかりません";
  GtkWidget* box = CreateMessageBox(nullptr, text, "");
  gtk_widget_show(box);
  Settle(300ms);

  GtkLabel* label = FirstLabelIn(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box)));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(gtk_label_get_text(label), text);
  EXPECT_EQ(gtk_label_get_ellipsize(label), PANGO_ELLIPSIZE_NONE);
  PangoLayout* layout = gtk_label_get_layout(label);
  EXPECT_GT(pango_layout_get_line_count(layout), 1);
  EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << "a Japanese font is missing";

  // Every line fits in the label, and the box fits on the screen.
  int layoutWidth = 0, layoutHeight = 0;
  pango_layout_get_pixel_size(layout, &layoutWidth, &layoutHeight);
  GtkAllocation shown;
  gtk_widget_get_allocation(GTK_WIDGET(label), &shown);
  EXPECT_LE(layoutWidth, shown.width);
  EXPECT_LE(layoutHeight, shown.height);
  GdkRectangle screen;
  gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
  EXPECT_LE(gdk_window_get_width(gtk_widget_get_window(box)), screen.width);
  gtk_widget_destroy(box);
}

TEST_F(MessageBoxTest, RunReturnsWhenTheUserAnswersAndTheBoxIsGone) {
  struct Case {
    const char* how;
    std::function<void(GtkWindow*)> answer;
  };
  const Case cases[] = {
      {"OK pressed", [](GtkWindow* box) { gtk_button_clicked(GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK))); }},
      {"Return pressed", [](GtkWindow* box) { gtk_window_activate_default(box); }},
      {"window closed", [](GtkWindow* box) { gtk_window_close(box); }},
  };
  for (const Case& c : cases) {
    int boxesSeen = -1;
    LaterAction user(200ms, [&] {
      const auto boxes = VisibleWindowsTitled("エラー");
      boxesSeen = static_cast<int>(boxes.size());
      if (!boxes.empty()) c.answer(boxes.front());
    });
    // Should the answer not close the box, this does, so that the test fails instead of hanging.
    LaterAction rescue(5s, [] {
      for (GtkWindow* box : VisibleWindowsTitled("エラー")) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NONE);
    });
    RunMessageBox(nullptr, "/tmp/x.logが正しく読みこめません", "エラー");
    EXPECT_TRUE(user.fired()) << c.how;
    EXPECT_FALSE(rescue.fired()) << c.how;
    EXPECT_EQ(boxesSeen, 1) << c.how;
    EXPECT_TRUE(VisibleWindowsTitled("エラー").empty()) << c.how;
  }
}

}  // namespace
}  // namespace routelet
