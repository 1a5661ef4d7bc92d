#pragma once
// Where the page goes: under the extension its template names, to a path the user gave, or to
// standard output.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/write_page.h"
#include "platform/files.h"
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

// The open file descriptor an output path stands for: "-" and "/dev/stdout" for standard output,
// "/dev/stdin", "/dev/stderr", "/dev/fd/N" and "/proc/self/fd/N" for theirs. The page is written
// into such a descriptor as it stands; replacing the path would replace the link to it.
std::optional<int> DescriptorNamedBy(std::string_view path);

// Where the page goes.
struct PageTarget {
  std::string Path;          // a descriptor's path (DescriptorNamedBy) or a file's
  bool NamedByUser = false;  // the user gave the path (-o): a pipe or terminal there is written into
};

// The files a run reads. The page never replaces one of them, by whatever path it reaches them.
struct RunInputs {
  std::string Log;
  std::vector<platform::InputFile> Others;  // the template, the other logs and each photo read
};

// Writes the page as UTF-8 to `target`: into a descriptor as it stands; into a pipe (once a
// reader opens it, waiting a few seconds at most) or a character device the user named; over a
// regular file or under a new name through WritePage, which replaces the file in one step. Any
// other file there (a device, a socket, or a pipe the user did not name) is left alone, as is
// each of `inputs`. The pieces are made and written as WritePieces does.
std::optional<WriteError> WritePageTo(const PageTarget& target, const PageSource& page, const RunInputs& inputs,
                                      const Parallelism& parallelism = {});

}  // namespace routelet
