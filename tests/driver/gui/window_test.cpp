// The desktop front end's windows on a real (virtual) display: what a person sees that the
// driven session (desktop_session_test.sh) cannot tell. Without a display every test is skipped.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "driver/gtk/desktop_front_end.h"
#include "driver/gtk/gtk_events.h"
#include "driver/gtk/log_chooser.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/progress_window.h"
#include "driver/run.h"
#include "support/temp_dir.h"

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

// Records the texts that `label` draws, in order.
void RecordDrawnTexts(GtkWidget* label, std::vector<std::string>& drawn) {
  const auto record = +[](GtkWidget* label, cairo_t*, gpointer texts) -> gboolean {
    static_cast<std::vector<std::string>*>(texts)->emplace_back(gtk_label_get_text(GTK_LABEL(label)));
    return FALSE;
  };
  g_signal_connect(label, "draw", G_CALLBACK(record), &drawn);
}

TEST_F(WindowTest, ProgressWindowDrawsAtMostThirtyTimesASecondAndKeepsItsSize) {
  ProgressWindow window;
  window.SetText("GPSデータ解析中");
  EXPECT_FALSE(window.IsVisible());  // until shown
  window.Show();
  EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(window.Window())));
  EXPECT_STREQ(gtk_window_get_title(window.Window()), "Routelet");
  std::vector<std::string> drawn;
  RecordDrawnTexts(window.Label(), drawn);
  // Called back to back, as a busy run does: the window draws a few of the texts, in order, and
  // after Flush the last one.
  std::vector<std::string> texts;
  for (int i = 1; i <= 3000; ++i) texts.push_back("GPSデータ解析中：" + std::to_string(100 * i) + "行目");
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& text : texts) window.SetText(text);
  window.Flush();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LE(drawn.size(), 2 + took / ProgressWindow::kRedrawInterval);
  auto next = texts.begin();  // every drawn text was set, in the order set
  for (const std::string& text : drawn) EXPECT_NE(next = std::find(next, texts.end(), text), texts.end()) << text;
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), texts.back());
  EXPECT_EQ(window.Text(), texts.back());
  // A long or two-line text changes neither the window's size nor its label's place.
  for (const std::string& text : {"画像データExif情報解析中：" + std::string(200, 'x') + ".jpg", std::string("二行の\nテキスト")}) {
    window.SetText(text);
    window.Flush();
    Settle();
    EXPECT_EQ(drawn.back(), text);
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
  window.Flush();
  EXPECT_EQ(window.Text(), "GPSデータ解析中：200行目");
}

// Watches a run on the desktop front end: the texts its progress window draws, in order, and
// the last of them when a message box comes up, which it answers at once.
struct RunWatch {
  ~RunWatch() { g_signal_remove_emission_hook(map, hook); }
  static gboolean Mapped(GSignalInvocationHint*, guint, const GValue* values, gpointer self) {
    GtkWidget* widget = GTK_WIDGET(g_value_get_object(&values[0]));
    auto* watch = static_cast<RunWatch*>(self);
    if (GTK_IS_FIXED(widget)) {  // the inside of the progress window
      GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
      RecordDrawnTexts(GTK_WIDGET(children->data), watch->drawn);
      g_list_free(children);
    } else if (GTK_IS_MESSAGE_DIALOG(widget)) {
      watch->atMessage = watch->drawn.empty() ? "" : watch->drawn.back();
      // Answered from its own main loop: a box answered while it is being shown stays open.
      g_idle_add([](gpointer box) { gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK); return G_SOURCE_REMOVE; }, widget);
    }
    return TRUE;
  }
  std::vector<std::string> drawn;
  std::string atMessage;
  guint map = g_signal_lookup("map", GTK_TYPE_WIDGET);
  gulong hook = g_signal_add_emission_hook(map, 0, Mapped, this, nullptr);
};

// However fast the run's texts come, its last one is on the screen before a message box and when
// the window closes.
TEST_F(WindowTest, ADesktopRunDrawsItsLastProgressTextBeforeAMessageAndTheEnd) {
  ::routelet::testing::TempDir dir;
  Options options;
  options.TemplatePath = dir.Write("template.dat", "[recordlist]\r\n*recordlist\r\n[index]");
  std::string log;
  for (int i = 0; i < 250; ++i) log += "$GPRMC,0000" + std::to_string(10 + i % 50) + ",A,3500.0,N,13900.0,E,0,0,010111,,\r\n";
  int argc = 0;
  char** argv = nullptr;
  const std::unique_ptr<FrontEnd> ui = MakeDesktopFrontEnd(argc, argv);
  ASSERT_NE(ui, nullptr);
  // A log named like its page is refused with a message box after the records are rendered.
  for (const auto& [name, result] : {std::pair{"trip.log", RunResult::kPageWritten}, {"trip.html", RunResult::kFailed}}) {
    RunWatch watch;
    options.LogPath = dir.Write(name, log);
    EXPECT_EQ(RunConversion(options, *ui), result) << name;
    ASSERT_FALSE(watch.drawn.empty()) << name;
    EXPECT_EQ(result == RunResult::kFailed ? watch.atMessage : watch.drawn.back(), "ルートデータ出力中：250/250") << name;
  }
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

TEST_F(WindowTest, LogChooserOpensOneFileThroughItsFiltersLogsFirst) {
  GtkWidget* dialog = CreateLogChooser();
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_OPEN);
  EXPECT_FALSE(gtk_file_chooser_get_select_multiple(chooser));
  // Each filter by name, in order, and which of these names it shows: "y" for shown.
  const char* names[] = {"track.log", "TRACK.LOG", "旅行.log", "track.nmea", "Track.NMEA", "notes.txt", "track.log.bak", "README"};
  const std::pair<const char*, std::string> filters[] = {{"GPSログ(*.log)", "yyy-----"},
                                                         {"NMEAログ(*.nmea)", "---yy---"},
                                                         {"テキストファイル(*.txt)", "-----y--"},
                                                         {"すべてのファイル", "yyyyyyyy"}};
  GSList* list = gtk_file_chooser_list_filters(chooser);
  ASSERT_EQ(g_slist_length(list), std::size(filters));
  EXPECT_EQ(gtk_file_chooser_get_filter(chooser), list->data);  // the first is chosen
  GSList* item = list;
  for (const auto& [name, shows] : filters) {
    GtkFileFilter* filter = GTK_FILE_FILTER(item->data);
    item = item->next;
    EXPECT_STREQ(gtk_file_filter_get_name(filter), name);
    std::string shown;
    for (const char* file : names) {
      GtkFileFilterInfo info{};
      info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
      info.display_name = file;
      shown += gtk_file_filter_filter(filter, &info) ? 'y' : '-';
    }
    EXPECT_EQ(shown, shows) << name;
  }
  g_slist_free(list);
  gtk_widget_destroy(dialog);
}

}  // namespace
}  // namespace routelet
