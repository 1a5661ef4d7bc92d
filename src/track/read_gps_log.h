#pragma once
// Reading a GPS log: the position and fix sentences of the whole file, in file order.
#include <string>

#include "driver/front_end.h"
#include "track/log_lines.h"

namespace routelet {

// Reads the log at `path` into `lines`: the file's bytes, unconverted, become lines.buffer, and
// every line whose kind is a position or fix sentence (any talker) becomes a view into it,
// unchanged and without its line ending. A line ends at CR LF, at a lone CR or at a lone LF; a
// UTF-8 byte-order mark before the first line is skipped. Damaged sentences of those kinds are
// kept too; they are judged when the track is built.
// Shows "GPSデータ解析中：<n>行目" every 100 lines read.
// A missing path shows "<path>が見つかりません"; a path that exists but cannot be read (a folder,
// no permission) shows "<path>を開けません（<reason>）". Both return false with `lines` untouched.
// On success the previous content of `lines` is replaced.
bool ReadGpsLog(const std::string& path, FrontEnd& ui, LogLineList& lines);

}  // namespace routelet
