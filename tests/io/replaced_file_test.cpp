// Files that appear whole or not at all: written under a temporary name and
// renamed when complete.

#include <gtest/gtest.h>

#include "io/output_file.hpp"
#include "io/replaced_file.hpp"
#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

TEST(ReplacedFile, AppearsOnlyWhenCommitted) {
    ScratchDirectory dir("replaced");
    const std::string path = (dir.path() / "chart.svg").string();
    write_file(path, "earlier chart");
    {
        ReplacedFile file(path);
        EXPECT_FALSE(fs::exists(partial_path(path))) << "only checked, not kept, while the work runs";
        write_file(partial_path(path), "half a chart");  // a writer that fails half way
        EXPECT_EQ(read_file(path), "earlier chart");
    }  // abandoned: the earlier file stays, the partial one is gone
    EXPECT_EQ(read_file(path), "earlier chart");
    EXPECT_FALSE(fs::exists(partial_path(path)));

    ReplacedFile file(path);
    file.commit("new chart");
    EXPECT_EQ(read_file(path), "new chart");
    EXPECT_FALSE(fs::exists(partial_path(path)));

    // A file its own writer fills under the temporary name.
    ReplacedFile written(path);
    write_file(written.partial(), "written by a library");
    EXPECT_EQ(read_file(path), "new chart");
    written.commit();
    EXPECT_EQ(read_file(path), "written by a library");
    EXPECT_FALSE(fs::exists(partial_path(path)));

    EXPECT_THROW(ReplacedFile((dir.path() / "missing" / "x.svg").string()), OutputError);
}

}  // namespace
}  // namespace cones
