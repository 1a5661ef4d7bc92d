// The progress window on a real (virtual) display: its size, its one label, and that every text
// is on the screen by the time SetText returns.
#include "driver/gtk/progress_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_test_support.h"

namespace routelet {
namespace {

using routelet::testing::Settle;

// Records the label's text each time GTK draws it.
struct DrawLog {
  static gboolean Record(GtkWidget* label, cairo_t*, gpointer self) {
    static_cast<DrawLog*>(self)->texts.emplace_back(gtk_label_get_text(GTK_LABEL(label)));
    return FALSE;
  }
  std::vector<std::string> texts;
};

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ROUTELET_REQUIRE_DISPLAY(); }
};

TEST_F(ProgressWindowTest, IsOnTheScreenWhenShowReturnsAndKeepsItsSizeWhateverTheText) {
  ProgressWindow window;
  window.Show();
  EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(window.Window())));
  EXPECT_STREQ(gtk_window_get_title(window.Window()), "Routelet");
  const std::string texts[] = {
      "",
      "GPSデータ解析中",
      "画像データExif情報解析中：" + std::string(200, 'x') + ".jpg",
      "二行の\nテキスト",
      "短い",
  };
  for (const std::string& text : texts) {
    window.SetText(text);
    Settle();
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window.Window()));
    EXPECT_EQ(gdk_window_get_width(surface), ProgressWindow::kClientWidth) << text;
    EXPECT_EQ(gdk_window_get_height(surface), ProgressWindow::kClientHeight) << text;
    GtkAllocation label;
    gtk_widget_get_allocation(window.Label(), &label);
    EXPECT_EQ(label.x, ProgressWindow::kLabelX) << text;
    EXPECT_EQ(label.y, ProgressWindow::kLabelY) << text;
    EXPECT_EQ(label.width, ProgressWindow::kLabelWidth) << text;
    EXPECT_EQ(label.height, ProgressWindow::kLabelHeight) << text;
  }
}

TEST_F(ProgressWindowTest, EachTextIsWholeAndDrawnBeforeSetTextReturns) {
  ProgressWindow window;
  window.Show();
  DrawLog drawn;
  g_signal_connect(window.Label(), "draw", G_CALLBACK(DrawLog::Record), &drawn);
  // Called back to back, as a busy run does: GTK alone would leave most of them undrawn.
  const char* const texts[] = {
      "GPSデータ解析中",
      "GPSデータ解析中：100行目",
      "GPSデータ解析中：200行目",
      "ルートデータ出力中：100/2000",
      "画像データExif情報解析中：IMG_0001.JPG",
      "短い",
  };
  for (const char* text : texts) {
    window.SetText(text);
    EXPECT_EQ(window.Text(), text);
    ASSERT_FALSE(drawn.texts.empty()) << text;
    EXPECT_EQ(drawn.texts.back(), text);
  }
}

TEST_F(ProgressWindowTest, SetTextBeforeShowLeavesTheWindowHidden) {
  ProgressWindow window;
  window.SetText("GPSデータ解析中");
  EXPECT_FALSE(window.IsVisible());
  EXPECT_EQ(window.Text(), "GPSデータ解析中");
}

TEST_F(ProgressWindowTest, ClosingTheWindowByHandOnlyHidesItAndTheRunGoesOn) {
  ProgressWindow window;
  window.Show();
  gtk_window_close(window.Window());  // what the title bar's close button asks for
  Settle();
  EXPECT_FALSE(window.IsVisible());
  window.SetText("GPSデータ解析中：100行目");
  EXPECT_EQ(window.Text(), "GPSデータ解析中：100行目");
}

}  // namespace
}  // namespace routelet
