#pragma once
// Where the page goes: under the extension its template names, to a path the user gave, or to
// standard output.
#include <optional>
#include <string>
#include <string_view>

#include "output/write_page.h"
#include "template/section_store.h"

namespace routelet {

// The output path that stands for standard output.
inline constexpr std::string_view kStandardOutputPath = "-";

// The extension of the page beside the log: the word in the template's "extension" section
// with the blanks and line ends around it dropped, or "html" when there is no such word.
// Nothing when the section holds anything but one word of ASCII letters and digits: a dot, a
// slash or a blank there would name a file the template's writer did not mean, and "html" in
// its place could replace a page made from another template.
std::optional<std::string> PageExtension(const SectionStore& sections);

// Writes the page as UTF-8 to `target`: standard output for "-"; into an existing pipe or device
// as it stands, since such a file cannot be replaced in one step; otherwise through WritePage,
// which replaces the file in one step and refuses to replace the log at `logPath`.
// The pieces are made and written as WritePieces does.
std::optional<WriteError> WritePageTo(const std::string& target, const PageSource& page, std::string_view logPath,
                                      const Parallelism& parallelism = {});

}  // namespace routelet
