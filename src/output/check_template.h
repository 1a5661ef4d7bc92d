#pragma once
// The template check: what in a template the program would not do as its writer meant, with the
// line and column where it is (`routelet --check-template`, and warnings during a run).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

struct TemplateProblem {
  std::size_t Line = 1;    // 1-based, lines as the template's sections are cut (LineReader)
  std::size_t Column = 1;  // 1-based, in characters of the decoded text
  std::string Text;        // in the user's language
};

// The problems of the template whose file holds `bytes`, in the order of their places:
// - bytes not valid in the encoding the file is read as (the first few, then how many more);
// - a template with nothing in it but blanks;
// - a section header that names no section the program reads (with the nearest known name);
// - in the page body and the item sections, a bracketed name of letters, digits and ":" that no
//   placeholder fills there (with the nearest known one; the page's placeholders, its lists
//   aside, are filled in the items too when the page fills them after putting the items in),
//   and such a name whose "["
//   is not closed before the line ends. A script's own subscript (`track.lat[i]`, `m[i][j]`,
//   `f(x)[key]`: a name without ":" right after a letter, digit, "_", "$", ")" or a "]" that
//   closes no placeholder) is the script's and not looked at;
// - a page body without "[recordlist]", or one whose list names an item section that is missing.
std::vector<TemplateProblem> CheckTemplate(std::string_view bytes);

// "PATH:LINE:COLUMN: text", as compilers name a place in a file.
std::string ProblemLine(std::string_view path, const TemplateProblem& problem);

}  // namespace routelet
