#pragma once
// Showing the written page: the desktop's default handler for it, as a file manager would.
#include <optional>
#include <string>

namespace routelet {

// Launches the desktop's default application for the file:// URI of `path` (made absolute
// against the current folder), normally the web browser for a page, and returns without
// waiting for it. Nothing when it was launched; else GIO's reason.
std::optional<std::string> OpenWithDefaultHandler(const std::string& path);

}  // namespace routelet

namespace routelet {

// Shows the file at `path` selected in its folder, through the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems on the session bus); where no file manager answers
// there, opens the folder with its default handler. Nothing when it was done; else why not.
std::optional<std::string> ShowInFolder(const std::string& path);

}  // namespace routelet
