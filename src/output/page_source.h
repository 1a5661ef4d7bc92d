#pragma once
// The page's text as pieces in page order, each made when it is about to be written, so that a
// large page is never held whole: a few pieces are made at once on several threads, written in
// order as soon as they are ready, and their room is used again for the pieces after them.
#include <cstddef>
#include <string>
#include <utility>

namespace routelet {

class PageSource {
 public:
  virtual ~PageSource() = default;

  virtual std::size_t PieceCount() const = 0;
  // Piece `k` of the page, in `into`, whose text it replaces (its room is kept and used again).
  // The same piece may be asked for more than once, from any thread.
  virtual void MakePiece(std::size_t k, std::string& into) const = 0;
};

// A page made beforehand, in one piece.
class WholePage final : public PageSource {
 public:
  explicit WholePage(std::string text) : text_(std::move(text)) {}

  std::size_t PieceCount() const override { return 1; }
  void MakePiece(std::size_t, std::string& into) const override { into = text_; }

 private:
  std::string text_;
};

}  // namespace routelet
