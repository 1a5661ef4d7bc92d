#pragma once
// The page's text as pieces, in page order, so that a large page is never copied whole: its
// record list is rendered piece by piece on several threads, and the pieces are written as they
// lie, in one gathered write.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace routelet {

struct PageText {
  PageText() = default;
  // A page in one piece.
  explicit PageText(std::string whole) : Order{0} { Pieces.push_back(std::move(whole)); }

  std::vector<std::string> Pieces;  // each piece once, though the page may hold it more than once
  std::vector<std::size_t> Order;   // the page: Pieces[Order[0]], then Pieces[Order[1]], ...

  std::size_t size() const {
    std::size_t bytes = 0;
    for (const std::size_t piece : Order) bytes += Pieces[piece].size();
    return bytes;
  }
  bool empty() const { return size() == 0; }

  // The page as one text.
  std::string Joined() const {
    std::string text;
    text.reserve(size());
    for (const std::size_t piece : Order) text += Pieces[piece];
    return text;
  }
};

}  // namespace routelet
