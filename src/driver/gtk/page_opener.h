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
