// The rate is pages finished over the time since the batch started; the
// time left is the remaining pages at that rate (shown once one page is
// done). The line is drawn with a carriage return and padded, so a shorter
// line fully covers a longer one.
#include "cli/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace Cli {

namespace {

constexpr int kBarCells = 20;

}  // namespace

ProgressBar::ProgressBar(size_t total, bool wanted)
    : total_(total),
      active_(wanted && total > 0 && isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()) {
    Update(0);
}

void ProgressBar::Update(size_t done) {
    done_ = done;
    if (!active_) {
        return;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const int filled = static_cast<int>(kBarCells * done / total_);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarCells - filled), '.');
    char line[160];
    if (done > 0 && seconds > 0.0) {
        const double rate = static_cast<double>(done) / seconds;
        const auto left = static_cast<long>(static_cast<double>(total_ - done) / rate + 0.5);
        std::snprintf(line, sizeof line, "\r[%s] %zu/%zu pages  %.1f pages/s  %ld:%02ld left   ",
                      bar.c_str(), done, total_, rate, left / 60, left % 60);
    } else {
        std::snprintf(line, sizeof line, "\r[%s] %zu/%zu pages   ", bar.c_str(), done, total_);
    }
    std::fputs(line, stderr);
    std::fflush(stderr);
}

void ProgressBar::Erase() {
    if (!active_) {
        return;
    }
    std::fprintf(stderr, "\r%78s\r", "");
    std::fflush(stderr);
}

void ProgressBar::Redraw() {
    Update(done_);
}

void ProgressBar::Finish() {
    Erase();
    active_ = false;
}

}  // namespace Cli
