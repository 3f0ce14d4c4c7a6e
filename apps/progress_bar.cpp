#include "apps/progress_bar.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>

namespace cones {
namespace {

constexpr std::size_t kBarWidth = 30;

std::string duration_text(double seconds) {
    const long total = std::lround(seconds);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

}  // namespace

std::string progress_text(std::size_t done, std::size_t total, double elapsed) {
    const double part = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    const auto filled = static_cast<std::size_t>(part * kBarWidth);
    // Built by appending: the concatenation of temporaries draws a false
    // -Wrestrict warning from GCC 12 at -O2.
    std::string text = "[";
    text.append(filled, '#');
    text.append(kBarWidth - filled, '-');
    text += ']';
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " %3d%%  %zu/%zu trajectories", static_cast<int>(part * 100.0), done,
                  total);
    text += numbers;
    if (done > 0 && done < total) text += ", " + duration_text(elapsed * (1.0 - part) / part) + " left";
    return text;
}

ProgressBar::ProgressBar(std::ostream& out, std::size_t total, bool shown)
    : out_(&out), total_(total), shown_(shown), start_(std::chrono::steady_clock::now()), last_draw_(start_) {}

ProgressBar ProgressBar::on_standard_error(std::size_t total) {
    return ProgressBar(std::cerr, total, ::isatty(STDERR_FILENO) == 1);
}

void ProgressBar::update(std::size_t done) {
    done_ = done;
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - last_draw_ < std::chrono::milliseconds(200)) return;
    last_draw_ = now;
    draw(done);
}

void ProgressBar::clear() {
    if (!shown_ || !drawn_) return;
    *out_ << "\r\033[K" << std::flush;
    drawn_ = false;
}

void ProgressBar::finish() {
    if (!shown_) return;
    draw(done_);
    *out_ << '\n' << std::flush;
    drawn_ = false;
}

void ProgressBar::draw(std::size_t done) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    *out_ << '\r' << progress_text(done, total_, elapsed) << "\033[K" << std::flush;
    drawn_ = true;
}

}  // namespace cones
