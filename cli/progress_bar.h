// ProgressBar: one line on standard error, redrawn in place, with the pages
// done out of the total, the rate and the estimated time left:
//   [##########..........]  25/50 pages  3.1 pages/s  0:08 left
// It draws only when standard error is a terminal (and the caller wants
// it), so logs and pipes never receive control characters. Finish() clears
// the line. A caller that writes a line of its own to the terminal (a
// result on standard output, a message on standard error) calls Erase()
// first and Redraw() after it, so the bar never runs into other text.
#pragma once

#include <chrono>
#include <cstddef>

namespace Cli {

class ProgressBar {
  public:
    ProgressBar(size_t total, bool wanted);
    void Update(size_t done);
    void Erase();
    void Redraw();
    void Finish();

  private:
    size_t total_;
    size_t done_ = 0;
    bool active_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace Cli
