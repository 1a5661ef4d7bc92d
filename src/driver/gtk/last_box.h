#pragma once
// The box that ends a run of the start window: what was made, and the ways to it.
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace routelet {

// What the box tells: the terminal's summary line as it is (the page's path, points, distance,
// photos listed of found and why the rest were left out), the template's problems, and the page.
struct LastWord {
  std::string PagePath;
  std::string Summary;
  std::vector<std::string> TemplateProblems;
};

// Builds the box without showing it: the summary, at most kTemplateProblemsShown problems then
// how many more, and the buttons Open the page, Show in folder and Close (the default). The
// caller owns it and destroys it.
GtkWidget* CreateLastBox(const LastWord& word);

// Shows the box until the user closes it; its two other buttons leave it open.
void RunLastBox(const LastWord& word);

}  // namespace routelet
