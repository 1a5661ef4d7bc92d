#pragma once
// The progress window's size and pace, the same on every desktop.
#include <chrono>

namespace routelet {

struct ProgressWindowLayout {
  // The window's inside and its one label, in pixels at 96 DPI.
  static constexpr int kClientWidth = 281;
  static constexpr int kClientHeight = 40;
  static constexpr int kLabelX = 8;
  static constexpr int kLabelY = 8;
  static constexpr int kLabelWidth = 265;
  static constexpr int kLabelHeight = 25;
  // The least time between two drawings of the window: about 30 a second, as often as anyone
  // can read a changing count, and far less often than a busy run sets its text.
  static constexpr std::chrono::milliseconds kRedrawInterval{33};
};

}  // namespace routelet
