// routelet: converts a GPS log into a web page through the template beside the program.
#include "driver/console_front_end.h"
#include "driver/run_state.h"
#include "template/load_template.h"

int main() {
  routelet::ConsoleFrontEnd ui = routelet::ConsoleFrontEnd::ForStandardStreams();
  routelet::RunState state;
  if (!routelet::LoadTemplate(ui, state.Sections)) {
    ui.ShowMessage("template.datが正しく読みこめません", routelet::kErrorTitle);
    return 1;
  }
  return 0;
}
