#include "output/write_page.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/replace_file.h"
#include "runtime/files.h"
#include "runtime/utf8.h"

namespace routelet {
namespace {

// Takes the pieces of a page as they are made, on any thread and in any order, and writes them
// to the file in page order: whichever thread makes the piece that is next writes it, and the
// ones after it that are ready. The room of a written piece is kept for a piece not yet made.
class PieceWriter {
 public:
  PieceWriter(platform::NativeFile file, std::size_t pieces) : file_(file), made_(pieces), ready_(pieces, false) {}

  bool Failed() const { return failed_.load(); }

  // Room for a piece: that of a piece already written, when there is one.
  std::string SpareRoom() {
    const std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    std::string room = std::move(spare_.back());
    spare_.pop_back();
    return room;
  }

  void Made(std::size_t k, std::string piece) {
    std::unique_lock lock(mutex_);
    made_[k] = std::move(piece);
    ready_[k] = true;
    if (writing_) return;  // the thread writing takes this one too when it comes to it
    writing_ = true;
    while (next_ < made_.size() && ready_[next_] && error_ == 0) {
      std::string piece = std::move(made_[next_]);
      lock.unlock();
      platform::SystemError error = 0;
      const bool written = platform::WriteAll(file_, piece, error);
      lock.lock();
      if (!written) {
        error_ = error;
        failed_ = true;
      }
      written_ += piece.size();
      piece.clear();
      spare_.push_back(std::move(piece));
      ++next_;
    }
    writing_ = false;
  }

  // True when every piece was written, after all were made; false with `error` set when a
  // write failed.
  bool Finish(platform::SystemError& error) {
    if (error_ == 0 && written_ == 0) platform::WriteAll(file_, " ", error_);  // a page of no bytes
    error = error_;
    return error_ == 0;
  }

 private:
  const platform::NativeFile file_;
  std::mutex mutex_;
  std::vector<std::string> made_;  // pieces made and not yet written
  std::vector<bool> ready_;
  std::vector<std::string> spare_;
  std::size_t next_ = 0;  // the first piece not yet written
  bool writing_ = false;  // a thread is writing
  std::size_t written_ = 0;
  platform::SystemError error_ = 0;
  std::atomic<bool> failed_ = false;
};

bool IsSameFile(const platform::FileIdentity& file, const std::string& otherPath) {
  platform::FileStatus other;
  platform::SystemError ignored = 0;
  return file != platform::FileIdentity{} && platform::StatusOfPath(otherPath, other, ignored) && other.Identity == file;
}

WriteError CannotWrite(platform::SystemError error) {
  return WriteError{WriteError::Problem::kCannotWrite, platform::ErrorText(error), {}};
}

}  // namespace

std::string OutputPathFor(std::string_view logPath, std::string_view extension) {
  const std::size_t separator = logPath.find_last_of(platform::kPathSeparators);
  const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot = logPath.rfind('.');
  std::string output(logPath);
  if (dot != std::string_view::npos && dot > nameStart) output.resize(dot);
  std::string pageExtension = ".";
  pageExtension += extension;
  if (!std::string_view(output).ends_with(pageExtension)) output += pageExtension;
  return output;
}

bool WritePieces(platform::NativeFile file, const PageSource& page, const Parallelism& parallelism,
                 std::exception_ptr& failure, platform::SystemError& error) {
  PieceWriter writer(file, page.PieceCount());
  try {
    ForEachChunk(page.PieceCount(), parallelism.Threads, [&](std::size_t k) {
      if (writer.Failed()) return;
      std::string piece = writer.SpareRoom();
      page.MakePiece(k, piece);
      if (!IsValidUtf8(piece)) piece = SanitizeUtf8(piece);
      writer.Made(k, std::move(piece));
    });
  } catch (...) {
    failure = std::current_exception();
    error = platform::ErrorFor(platform::KnownError::kOutOfMemory);
    return false;
  }
  return writer.Finish(error);
}

std::optional<WriteError> WritePage(const std::string& pagePath, const PageSource& page, std::string_view logPath,
                                    const Parallelism& parallelism) {
  platform::FileStatus existing;
  platform::SystemError error = 0;
  if (platform::StatusOfPath(pagePath, existing, error)) {
    // Any path that reaches the log's file (a symlink, a hard link, "./", a bind mount) is the log.
    if (IsSameFile(existing.Identity, std::string(logPath))) return WriteError{WriteError::Problem::kWouldReplaceLog, {}, {}};
    if (existing.Kind == platform::FileKind::kDirectory) {
      return CannotWrite(platform::ErrorFor(platform::KnownError::kIsADirectory));
    }
    // Replacing the page must not do what writing into it could not: a page the user may not
    // write (root may write any) stays as it is.
    if (!platform::MayWrite(pagePath, error)) {
      if (platform::IsPermissionError(error)) return WriteError{WriteError::Problem::kWriteProtected, {}, {}};
      return CannotWrite(error);
    }
  }
  // A piece that could not be made (no memory left) ends the write like a failed write, so that
  // no file is left behind; then it goes on up as it came.
  std::exception_ptr failure;
  const platform::WriteContent writeContent = [&](platform::NativeFile file, platform::SystemError& writeError) {
    return WritePieces(file, page, parallelism, failure, writeError);
  };
  const std::optional<platform::SystemError> problem = platform::ReplaceFileWith(pagePath, std::string(logPath), writeContent);
  if (failure) std::rethrow_exception(failure);
  return problem ? std::optional(CannotWrite(*problem)) : std::nullopt;
}

}  // namespace routelet
