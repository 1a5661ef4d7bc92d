#pragma once
// Making names safe to put into a page's markup or into a link.
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

}  // namespace routelet
