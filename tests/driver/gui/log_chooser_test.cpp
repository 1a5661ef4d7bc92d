// The log chooser as GTK builds it: title, one filter, one file, and cancelling it.
#include "driver/gtk/log_chooser.h"

#include <gtest/gtest.h>

#include <string>

#include "gui_test_support.h"

namespace routelet {
namespace {

using namespace std::chrono_literals;
using routelet::testing::LaterAction;
using routelet::testing::VisibleWindowsTitled;

class LogChooserTest : public ::testing::Test {
 protected:
  void SetUp() override { ROUTELET_REQUIRE_DISPLAY(); }
};

bool FilterShows(GtkFileFilter* filter, const char* name) {
  GtkFileFilterInfo info{};
  info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
  info.display_name = name;
  return gtk_file_filter_filter(filter, &info);
}

TEST_F(LogChooserTest, OpensOneExistingFileThroughTheLogFilter) {
  GtkWidget* dialog = CreateLogChooser();
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "GPSログ");
  EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_OPEN);
  EXPECT_FALSE(gtk_file_chooser_get_select_multiple(chooser));
  EXPECT_TRUE(gtk_file_chooser_get_local_only(chooser));
  EXPECT_TRUE(gtk_widget_has_default(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT)));

  GSList* filters = gtk_file_chooser_list_filters(chooser);
  ASSERT_EQ(g_slist_length(filters), 1u);
  GtkFileFilter* filter = GTK_FILE_FILTER(filters->data);
  g_slist_free(filters);
  EXPECT_STREQ(gtk_file_filter_get_name(filter), "GPSログ(*.log)");
  EXPECT_EQ(gtk_file_chooser_get_filter(chooser), filter);
  const struct {
    const char* name;
    bool shown;
  } names[] = {{"track.log", true}, {"TRACK.LOG", true}, {"旅行.log", true}, {"track.nmea", false}, {"track.log.bak", false}};
  for (const auto& n : names) EXPECT_EQ(FilterShows(filter, n.name), n.shown) << n.name;
  gtk_widget_destroy(dialog);
}

TEST_F(LogChooserTest, CancelGivesEmptyTextAndLeavesNoDialog) {
  const GtkResponseType answers[] = {GTK_RESPONSE_CANCEL, GTK_RESPONSE_DELETE_EVENT};
  for (GtkResponseType answer : answers) {
    LaterAction user(300ms, [answer] {
      for (GtkWindow* dialog : VisibleWindowsTitled("GPSログ")) gtk_dialog_response(GTK_DIALOG(dialog), answer);
    });
    EXPECT_EQ(RunLogChooser(), "");
    EXPECT_TRUE(user.fired());
    EXPECT_TRUE(VisibleWindowsTitled("GPSログ").empty());
  }
}

}  // namespace
}  // namespace routelet
