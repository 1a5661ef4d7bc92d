// The desktop windows on a virtual display (skipped without one): what the driven session cannot tell.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "driver/gtk/desktop_front_end.h"
#include "driver/gtk/gtk_events.h"
#include "driver/gtk/last_box.h"
#include "driver/gtk/log_chooser.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/progress_window.h"
#include "platform/translations.h"

namespace routelet {
namespace {

class WindowTest : public ::testing::Test {
  void SetUp() override {
    static const bool display = gtk_init_check(nullptr, nullptr);
    if (!display) GTEST_SKIP() << "no X display could be opened";
  }
};

// Lets the window system work until `done` holds, for at most half a minute: a loaded machine or a
// sanitized build may take long to lay out and map a window, and a right window ends the wait at once.
bool SettleUntil(const std::function<bool()>& done) { return HandleEventsUntil(done, std::chrono::seconds(30)); }

TEST_F(WindowTest, ProgressWindowKeepsItsSizeWhateverTheText) {
  ProgressWindow window;
  window.Show();
  // A long or a two-line text changes neither the window's size (281 x 40) nor its label's place.
  for (const std::string& text : {"画像データExif情報解析中：" + std::string(200, 'x') + ".jpg", std::string("二行の\nテキスト")}) {
    window.SetText(text);
    window.Flush();
    const std::vector<int> expected{281, 40, 8, 8, 265, 25};
    const auto geometry = [&] {
      GtkAllocation l;
      gtk_widget_get_allocation(window.Label(), &l);
      GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window.Window()));
      return std::vector({gdk_window_get_width(surface), gdk_window_get_height(surface), l.x, l.y, l.width, l.height});
    };
    SettleUntil([&] { return gtk_widget_get_mapped(GTK_WIDGET(window.Window())) && geometry() == expected; });
    EXPECT_EQ(geometry(), expected) << text;
  }
}

TEST_F(WindowTest, ProgressDrawsAtMostThirtyTimesASecondButItsLastTextBeforeAMessageAndAtTheEnd) {
  int argc = 0;
  char** argv = nullptr;
  const std::unique_ptr<FrontEnd> ui = MakeDesktopFrontEnd(argc, argv);
  // What the progress window's label draws, in order, and "(message)" where a message box comes up; the
  // box is answered at once, from its own main loop (a box answered while it is being shown stays open).
  std::vector<std::string> seen;
  const guint map = g_signal_lookup("map", GTK_TYPE_WIDGET);
  const gulong hook = g_signal_add_emission_hook(map, 0, [](GSignalInvocationHint*, guint, const GValue* values, gpointer seen) -> gboolean {
    GtkWidget* widget = GTK_WIDGET(g_value_get_object(&values[0]));
    if (GTK_IS_LABEL(widget) && GTK_IS_FIXED(gtk_widget_get_parent(widget))) {
      g_signal_connect(widget, "draw", G_CALLBACK(+[](GtkLabel* label, cairo_t*, std::vector<std::string>* texts) {
                         texts->emplace_back(gtk_label_get_text(label));
                         return FALSE;
                       }), seen);
    } else if (GTK_IS_MESSAGE_DIALOG(widget)) {
      static_cast<std::vector<std::string>*>(seen)->emplace_back("(message)");
      g_idle_add([](gpointer box) { gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK); return G_SOURCE_REMOVE; }, widget);
    }
    return TRUE;
  }, &seen, nullptr);
  ui->ShowProgressWindow();
  seen = {"(shown)"};  // in place of the empty label drawn as the window came up
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= 3000; ++i) ui->SetProgress("GPSデータ解析中：" + std::to_string(100 * i) + "行目");  // back to back
  EXPECT_LE(seen.size(), 2 + (std::chrono::steady_clock::now() - start) / ProgressWindow::kRedrawInterval);
  ui->ShowMessage("message", "");
  for (const char* text : {"ルートデータ出力中：249/250", "ルートデータ出力中：250/250"}) ui->SetProgress(text);
  ui->CloseProgressWindow();
  g_signal_remove_emission_hook(map, hook);
  EXPECT_EQ(*(std::find(seen.begin(), seen.end(), "(message)") - 1), "GPSデータ解析中：300000行目") << "drawn before the message box";
  EXPECT_EQ(seen.back(), "ルートデータ出力中：250/250");
}

TEST_F(WindowTest, MessageBoxShowsALongPathAsGivenWrappedAndWhole) {
  // printf sequences (shown, not expanded), bytes that are not UTF-8 (Shift_JIS, a zero byte, a cut
  // sequence: each becomes U+FFFD) and no blank to wrap at.
  std::string folder = "/home/100%s %d %n";
  while (folder.size() < 600) folder += "/とても長いフォルダの名前_with_ascii_and_no_blanks";
  const std::string text = folder + std::string("/\x82\xA0\0.log\xE3\x81", 10);
  const std::string shown = folder + "/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.log\xEF\xBF\xBD\xEF\xBF\xBD";
  GtkWidget* box = CreateMessageBox(nullptr, text, "");
  gtk_widget_show(box);
  g_autoptr(GList) labels = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box))));
  GtkLabel* label = GTK_LABEL(labels->data);  // the primary text
  SettleUntil([&] { return gtk_widget_get_mapped(box) && gtk_widget_get_allocated_height(GTK_WIDGET(label)) > 1; });
  EXPECT_EQ(gtk_label_get_text(label), shown);
  PangoLayout* layout = gtk_label_get_layout(label);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  EXPECT_TRUE(pango_layout_get_line_count(layout) > 1 && width <= gtk_widget_get_allocated_width(GTK_WIDGET(label)) &&
              height <= gtk_widget_get_allocated_height(GTK_WIDGET(label))) << "wrapped, every line within the label";
  EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << "a Japanese font is missing";
  gtk_widget_destroy(box);
}

TEST_F(WindowTest, LogChooserOffersLogsFirstThenNmeaTextXmlTracksEveryLogAndAllFiles) {
  GtkWidget* dialog = CreateLogChooser();
  g_autoptr(GSList) list = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(dialog));
  EXPECT_EQ(gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(dialog)), list->data);  // the first is chosen
  // Each filter by name, in order, and which of these names it shows: "y" for shown.
  std::string shown;
  for (GSList* item = list; item != nullptr; item = item->next) {
    shown += std::string("\n") + gtk_file_filter_get_name(GTK_FILE_FILTER(item->data)) + " ";
    for (const char* file : {"track.log", "TRACK.LOG", "旅行.log", "track.nmea", "Track.NMEA", "notes.txt", "track.log.bak", "README", "trip.GPX", "ride.tcx", "map.kml", "day.nmea.gz"}) {
      const GtkFileFilterInfo info{GTK_FILE_FILTER_DISPLAY_NAME, nullptr, nullptr, file, nullptr};
      shown += gtk_file_filter_filter(GTK_FILE_FILTER(item->data), &info) ? 'y' : '-';
    }
  }
  const std::string everyLog = platform::TranslatedText("All GPS logs (*.log;*.nmea;*.txt;*.gpx;*.tcx;*.kml;*.gz)");
  EXPECT_EQ(shown, "\nGPSログ(*.log) yyy---------\nNMEAログ(*.nmea) ---yy-------"
                   "\nテキストファイル(*.txt) -----y------\nGPX/TCX/KML(*.gpx;*.tcx;*.kml) --------yyy-"
                   "\n" + everyLog + " yyyyyy--yyyy\nすべてのファイル yyyyyyyyyyyy");
  gtk_widget_destroy(dialog);
}

// The last box of a start-window run: the summary as it is, the first ten template problems and
// how many more, and Close (where Return goes) beside the buttons to the page and its folder.
TEST_F(WindowTest, LastBoxTellsTheSummaryAndAtMostTenProblems) {
  LastWord word{"/tmp/trip.html", "/tmp/trip.htmlを書き出しました：21地点", {}};
  for (int line = 1; line <= 12; ++line) word.TemplateProblems.push_back("t.dat:" + std::to_string(line) + ":1: x");
  GtkWidget* box = CreateLastBox(word);
  g_autoptr(GList) children = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(box))));
  std::vector<std::string> texts;
  for (GList* child = children; child != nullptr; child = child->next) {
    if (GTK_IS_LABEL(child->data)) texts.emplace_back(gtk_label_get_text(GTK_LABEL(child->data)));
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], word.Summary);
  const std::string& problems = texts[1];
  EXPECT_NE(problems.find("\nt.dat:10:1: x\n"), std::string::npos);
  EXPECT_EQ(problems.find("t.dat:11:1"), std::string::npos);
  std::string more = platform::TranslatedText("%s more (routelet --check-template lists them all)");
  more.replace(more.find("%s"), 2, "2");
  EXPECT_TRUE(problems.ends_with("\n" + more)) << problems;
  for (const int answer : {1, 2}) EXPECT_NE(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), answer), nullptr);
  EXPECT_TRUE(gtk_widget_has_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE)) ||
              gtk_widget_is_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE)));
  gtk_widget_destroy(box);
}

}  // namespace
}  // namespace routelet
