#pragma once
// What the log chooser accepts: which names its filter shows, and which file a confirmed name
// stands for. Plain file-system rules, kept apart from the dialog so that they can be tested
// without a display.
#include <string>
#include <string_view>

namespace routelet {

// The extension the chooser offers and adds to a name typed without one.
inline constexpr std::string_view kLogExtension = ".log";

// True when the file name `name` ends with `extension` (like ".log"), letter case ignored
// ("TRACK.LOG" too); always true for an empty `extension`.
bool HasExtension(std::string_view name, std::string_view extension);

// True when the last component of `path` is a name without extension: not empty, and no "."
// after the last "/".
bool LacksExtension(std::string_view path);

// The file that the confirmed name `path` stands for: `path` itself when it names an existing
// entry that is not a folder; else, for a name without extension, `path` + ".log" when that is
// an existing file; else empty text, meaning the name is refused and the dialog stays open.
std::string ResolveChosenLog(const std::string& path);

}  // namespace routelet
