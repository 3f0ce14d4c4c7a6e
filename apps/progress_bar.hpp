// A progress bar with an estimate of the time left, drawn on standard error
// while a long scan runs, and only when standard error is a terminal (nothing
// is written otherwise, so logs and pipes stay clean).
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace cones {

// The text of the bar.
// Given:    done, total  trajectories traced and to trace; elapsed  seconds
//           since the start.
// Returned: "[#####-----]  50%  1000/2000 trajectories, 1:05 left".
// Notes:    the time left is the elapsed time scaled by the part still to do,
//           shown once something is done and until all is.
std::string progress_text(std::size_t done, std::size_t total, double elapsed);

class ProgressBar {
public:
    // A bar over `total` trajectories on `out`; `shown` false makes every call
    // do nothing.
    ProgressBar(std::ostream& out, std::size_t total, bool shown);
    // A bar on standard error, shown when standard error is a terminal.
    static ProgressBar on_standard_error(std::size_t total);

    // `done` trajectories are complete; the bar is redrawn at most five
    // times a second.
    void update(std::size_t done);
    // Removes the bar from its line, so that other output can follow; the
    // next update draws it again.
    void clear();
    // Draws the final state and ends the line.
    void finish();

private:
    void draw(std::size_t done);
    std::ostream* out_;
    std::size_t total_;
    bool shown_;
    bool drawn_ = false;
    std::size_t done_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_draw_;
};

}  // namespace cones
