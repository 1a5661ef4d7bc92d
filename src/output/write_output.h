#pragma once
// Naming the page after the log and writing it as UTF-8.
#include <string>
#include <string_view>

#include "driver/front_end.h"

namespace routelet {

// The page's path: the log's path with its extension replaced by ".html", or ".html" appended
// when the log's file name has no extension. Only a "." inside the file name (not its first
// character) starts an extension; dots in folder names do not.
std::string OutputPathFor(std::string_view logPath);

// The bytes of the page: the text, with any ill-formed UTF-8 (a file name that is not UTF-8)
// replaced by U+FFFD; an empty text gives one blank.
std::string ToUtf8Bytes(std::string text);

// Writes the page beside the log. The bytes go to a temporary file in the same folder that then
// replaces the page in one step, so a failed or interrupted write leaves an earlier page whole.
// Refuses a log whose own path equals the page's (a log named *.html). Failures are told through
// `ui` with the error title; the result says whether the page was written.
bool WriteOutputFile(std::string_view logPath, std::string page, FrontEnd& ui);

}  // namespace routelet
