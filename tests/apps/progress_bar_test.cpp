// The progress bar: its text with the estimate of the time left, and that it
// writes nothing when it is not shown.

#include <gtest/gtest.h>

#include <sstream>

#include "apps/progress_bar.hpp"

namespace cones {
namespace {

TEST(ProgressBar, TextShowsTheShareDoneAndTheTimeLeft) {
    // A quarter done after 30 s: three quarters left take 90 s more.
    EXPECT_EQ(progress_text(250, 1000, 30.0), "[#######-----------------------]  25%  250/1000 trajectories, 1:30 left");
    EXPECT_EQ(progress_text(0, 1000, 0.0), "[------------------------------]   0%  0/1000 trajectories");
    EXPECT_EQ(progress_text(1000, 1000, 3600.0), "[##############################] 100%  1000/1000 trajectories");
    // Half done after 1 h 10 s: as long again.
    EXPECT_EQ(progress_text(5, 10, 3610.0), "[###############---------------]  50%  5/10 trajectories, 1:00:10 left");
}

TEST(ProgressBar, DrawsClearsAndEndsItsLineOnlyWhenShown) {
    std::ostringstream hidden;
    ProgressBar quiet(hidden, 10, false);
    quiet.update(5);
    quiet.clear();
    quiet.finish();
    EXPECT_EQ(hidden.str(), "");

    std::ostringstream shown;
    ProgressBar bar(shown, 10, true);
    bar.update(5);
    EXPECT_EQ(shown.str().rfind("\r[###############---------------]  50%  5/10 trajectories", 0), 0u) << shown.str();
    bar.update(6);  // within a fifth of a second of the last drawing: not drawn
    EXPECT_EQ(shown.str().find("6/10"), std::string::npos);
    bar.clear();
    EXPECT_EQ(shown.str().substr(shown.str().size() - 4), "\r\033[K");
    bar.update(10);
    bar.finish();
    EXPECT_NE(shown.str().find("10/10 trajectories\033[K\n"), std::string::npos) << shown.str();
}

}  // namespace
}  // namespace cones
