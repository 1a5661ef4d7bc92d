// Shows each window of the Windows front end in turn, with Japanese texts: the progress window
// with a few texts, a message box, then the log chooser; prints the chosen path.
#include "driver/win32/win32_front_end.h"
#include "platform/console.h"

int main() {
  routelet::platform::AttachParentConsole();
  const auto ui = routelet::MakeWin32FrontEnd();
  ui->ShowProgressWindow();
  for (int count = 1; count <= 3; ++count) ui->SetProgress("読み込み中 " + std::to_string(count * 1000) + " 件");
  ui->ShowMessage("GPSログが見つかりません: C:\\旅行\\記録.log");
  const std::optional<std::string> chosen = ui->ChooseLogFile();
  ui->CloseProgressWindow();
  routelet::platform::WriteText(stderr, "chosen: " + chosen.value_or("") + "\n");
  return 0;
}
