// The entry point of routelet-desktop.so, the module the program loads for the desktop front end.
#include "driver/desktop_module.h"
#include "driver/gtk/desktop_front_end.h"

extern "C" routelet::FrontEnd* routelet_make_desktop_front_end(int* argc, char*** argv) {
  return routelet::MakeDesktopFrontEnd(*argc, *argv).release();
}
