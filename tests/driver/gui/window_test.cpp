// The desktop front end's windows on a real (virtual) display: what a person sees that the
// driven session (desktop_session_test.sh) cannot tell. Without a display every test is skipped.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <string>
#include <vector>

#include "driver/gtk/gtk_events.h"
#include "driver/gtk/log_chooser.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/progress_window.h"

namespace routelet {
namespace {

using namespace std::chrono_literals;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const bool display = gtk_init_check(nullptr, nullptr);
    if (!display) GTEST_SKIP() << "no X display could be opened";
  }
};

// Lets the window system work for `time`: layout, drawing and mapping all happen by then.
void Settle(std::chrono::milliseconds time = 100ms) { HandleEventsUntil([] { return false; }, time); }

TEST_F(WindowTest, ProgressWindowDrawsEachTextAtOnceAndKeepsItsSize) {
  ProgressWindow window;
  window.SetText("GPSデータ解析中");
  EXPECT_FALSE(window.IsVisible());  // until shown
  window.Show();
  EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(window.Window())));
  EXPECT_STREQ(gtk_window_get_title(window.Window()), "Routelet");
  std::vector<std::string> drawn;
  const auto record = +[](GtkWidget* label, cairo_t*, gpointer texts) -> gboolean {
    static_cast<std::vector<std::string>*>(texts)->emplace_back(gtk_label_get_text(GTK_LABEL(label)));
    return FALSE;
  };
  g_signal_connect(window.Label(), "draw", G_CALLBACK(record), &drawn);
  // Called back to back, as a busy run does: GTK alone would leave most of them undrawn.
  const std::string texts[] = {"GPSデータ解析中：100行目", "ルートデータ出力中：100/2000", "短い",
                               "画像データExif情報解析中：" + std::string(200, 'x') + ".jpg", "二行の\nテキスト"};
  for (const std::string& text : texts) {
    window.SetText(text);
    EXPECT_EQ(window.Text(), text);
    ASSERT_FALSE(drawn.empty()) << text;
    EXPECT_EQ(drawn.back(), text);
  }
  // A long or two-line text changes neither the window's size nor its label's place.
  for (const std::string& text : {texts[3], texts[4]}) {
    window.SetText(text);
    Settle();
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window.Window()));
    GtkAllocation l;
    gtk_widget_get_allocation(window.Label(), &l);
    EXPECT_EQ(std::vector({gdk_window_get_width(surface), gdk_window_get_height(surface), l.x, l.y, l.width, l.height}),
              std::vector({ProgressWindow::kClientWidth, ProgressWindow::kClientHeight, ProgressWindow::kLabelX,
                           ProgressWindow::kLabelY, ProgressWindow::kLabelWidth, ProgressWindow::kLabelHeight}))
        << text;
  }
  // The title bar's close button only hides the window, and the run goes on.
  gtk_window_close(window.Window());
  Settle();
  EXPECT_FALSE(window.IsVisible());
  window.SetText("GPSデータ解析中：200行目");
  EXPECT_EQ(window.Text(), "GPSデータ解析中：200行目");
}

// The titles are checked by the driven session, which finds each box by its title.
TEST_F(WindowTest, MessageBoxShowsTheTextAsGivenAndALongPathWrappedAndWhole) {
  const std::pair<std::string, std::string> texts[] = {
      // printf-style sequences in a path are shown, not expanded.
      {"/tmp/100%s %d %n.logが見つかりません", "/tmp/100%s %d %n.logが見つかりません"},
      // Each byte that is not UTF-8 (Shift_JIS, a cut sequence, a zero byte) becomes U+FFFD.
      {"/tmp/\x82\xA0.log\xE3\x81", "/tmp/\xEF\xBF\xBD\xEF\xBF\xBD.log\xEF\xBF\xBD\xEF\xBF\xBD"},
      {std::string("a\0b", 3), "a\xEF\xBF\xBD" "b"},
  };
  for (const auto& [text, shown] : texts) {
    GtkWidget* box = CreateMessageBox(nullptr, text, "");
    gchar* property = nullptr;
    g_object_get(box, "text", &property, nullptr);
    EXPECT_STREQ(property, shown.c_str());
    g_free(property);
    gtk_widget_destroy(box);
  }
  std::string path = "/home/user";
  while (path.size() < 600) path += "/とても長いフォルダの名前_with_ascii_and_no_blanks";
  const std::string text = path + "/track.logが見つかりません";
  GtkWidget* box = CreateMessageBox(nullptr, text, "");
  gtk_widget_show(box);
  Settle(300ms);
  GList* labels = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box))));
  GtkLabel* label = GTK_LABEL(labels->data);  // the primary text
  g_list_free(labels);
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
  EXPECT_TRUE(layoutWidth <= shown.width && layoutHeight <= shown.height);
  GdkRectangle screen;
  gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
  EXPECT_LE(gdk_window_get_width(gtk_widget_get_window(box)), screen.width);
  gtk_widget_destroy(box);
}

TEST_F(WindowTest, LogChooserOpensOneFileThroughTheLogFilter) {
  GtkWidget* dialog = CreateLogChooser();
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_OPEN);
  EXPECT_FALSE(gtk_file_chooser_get_select_multiple(chooser));
  GSList* filters = gtk_file_chooser_list_filters(chooser);
  ASSERT_EQ(g_slist_length(filters), 1u);
  GtkFileFilter* filter = GTK_FILE_FILTER(filters->data);
  g_slist_free(filters);
  EXPECT_STREQ(gtk_file_filter_get_name(filter), "GPSログ(*.log)");
  EXPECT_EQ(gtk_file_chooser_get_filter(chooser), filter);
  for (const auto& [name, shown] : {std::pair{"track.log", true}, {"TRACK.LOG", true}, {"旅行.log", true},
                                    {"track.nmea", false}, {"track.log.bak", false}}) {
    GtkFileFilterInfo info{};
    info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
    info.display_name = name;
    EXPECT_EQ(gtk_file_filter_filter(filter, &info), shown) << name;
  }
  gtk_widget_destroy(dialog);
}

}  // namespace
}  // namespace routelet
