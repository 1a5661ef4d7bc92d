#pragma once
// Making names safe to put into a page's markup, into a link, or onto a terminal.
#include <string>
#include <string_view>

namespace routelet {

// The text with & < > " ' [ ] written as character references, so it can stand in element
// content and in quoted attribute values, and cannot hold a placeholder that a later step of
// the page would fill.
std::string HtmlEscape(std::string_view text);

// The text percent-encoded as one relative URL path segment: letters, digits and - . _ ~ stay,
// every other byte (including "/", "#", "?", "%" and blanks) becomes %XX.
std::string UrlPathSegmentEscape(std::string_view text);

// A relative path ("../my photos/a.jpg") as a relative URL: each "/"-separated segment
// encoded as UrlPathSegmentEscape does, the "/" kept ("../my%20photos/a.jpg").
std::string UrlPathEscape(std::string_view path);

// The text as a terminal is to show it. Control characters in a file name, a path or an option's
// value would be obeyed by the terminal (set its title, write the clipboard, clear the screen), so
// each is written out: ESC as "\e", the others of C0 (line ends among them), DEL and C1 (U+0080
// to U+009F, in UTF-8) as "\xNN". Everything else, invalid UTF-8 included, stays as it is.
// Every text that reaches the terminal and may hold what the user gave passes through here.
std::string TerminalEscape(std::string_view text);

}  // namespace routelet
