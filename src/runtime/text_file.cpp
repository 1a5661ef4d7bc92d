#include "runtime/text_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/utf8.h"

namespace routelet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Shift_JIS (as Windows writes it, code page 932) to UTF-8; a byte that does not decode
// becomes U+FFFD and decoding goes on after it.
std::string DecodeShiftJis(std::string_view bytes) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return SanitizeUtf8(bytes);
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: three bytes out per byte in is enough
    // EILSEQ or EINVAL: an undecodable or cut-off byte. Replace it and go on after it.
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    if (outLeft < 3) break;
    std::memcpy(outPtr, kReplacement, 3);
    outPtr += 3;
    outLeft -= 3;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace

std::string DecodeText(std::string bytes) {
  if (IsValidUtf8(bytes)) {
    if (std::string_view(bytes).starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
    return bytes;
  }
  return DecodeShiftJis(bytes);
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorText(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? ErrorText(EISDIR) : ErrorText(errno);
    ::close(fd);
    return false;
  }
  bytes.clear();
  // The size is a hint only: the file may shrink or grow while it is read. One spare byte lets
  // the read that finds the end happen without growing (and copying) a large buffer.
  bytes.resize(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 1 : 0);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() + 65536);
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = ErrorText(errno);
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes.resize(filled);
  return true;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error)) return false;
  text = DecodeText(std::move(bytes));
  return true;
}

bool LineReader::Next(std::string_view& line) {
  if (rest_.empty()) return false;
  const std::size_t end = rest_.find(ending_);
  if (end == std::string_view::npos) {
    line = rest_;
    rest_ = {};
    return true;
  }
  line = rest_.substr(0, end);
  const bool crLf = ending_ == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
  rest_.remove_prefix(end + (crLf ? 2 : 1));
  return true;
}

}  // namespace routelet
