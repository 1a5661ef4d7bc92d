#pragma once
// Texts handed to GTK must be valid UTF-8; paths and file names need not be (a file system
// stores bytes). Showing such a text as it is would make GTK refuse or blank the whole text.
#include <string>
#include <string_view>

namespace routelet {

// `text` with every byte that is not part of valid UTF-8 (a NUL included) replaced by U+FFFD,
// so that the rest of the text still shows.
std::string DisplayableText(std::string_view text);

}  // namespace routelet
