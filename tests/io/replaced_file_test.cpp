// Files that appear whole or not at all: written under a temporary name and
// renamed when complete.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <thread>

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

// A name that is not a regular file is written in place and never replaced
// (replacing /dev/full or /dev/stdout would put a regular file in its stead);
// a link to a regular file is followed, and the link stays.
TEST(ReplacedFile, DevicesPipesAndLinksAreWrittenWhereTheyPoint) {
    ReplacedFile("/dev/null").commit("a map");
    {
        ReplacedFile full_device("/dev/full");
        try {
            full_device.commit(std::string(1 << 16, 'x'));
            ADD_FAILURE() << "a full device takes nothing";
        } catch (const OutputError& e) {
            EXPECT_STREQ(e.what(), "Can not write file /dev/full: No space left on device");
        }
    }
    std::string scratch;
    {
        // A writer that fills its own file (and may remove it when it fails,
        // as the netCDF library does) is given a scratch file, not the device.
        ReplacedFile full_device("/dev/full");
        scratch = full_device.partial();
        EXPECT_TRUE(fs::is_regular_file(scratch)) << scratch;
        write_file(scratch, std::string(1 << 16, 'x'));
        EXPECT_THROW(full_device.commit(), OutputError);
    }
    EXPECT_FALSE(fs::exists(scratch)) << "the scratch file goes with its writer";
    for (const char* device : {"/dev/null", "/dev/full"}) {
        EXPECT_TRUE(fs::is_character_file(device)) << device;
        EXPECT_FALSE(fs::exists(partial_path(device))) << device;
    }

    ScratchDirectory dir("replaced_special");
    const fs::path pipe = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        std::ifstream in(pipe, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        received = text.str();
    });
    {
        ReplacedFile piped(pipe.string());
        write_file(piped.partial(), "lat,lon,Rc\n");
        piped.commit();
    }
    reader.join();
    EXPECT_EQ(received, "lat,lon,Rc\n");
    EXPECT_TRUE(fs::is_fifo(pipe));

    const fs::path target = dir.path() / "maps" / "rc.csv";
    const fs::path link = dir.path() / "latest.csv";
    fs::create_directories(target.parent_path());
    write_file(target, "old map");
    fs::create_symlink(target, link);
    ReplacedFile(link.string()).commit("new map");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(target), "new map");
    EXPECT_FALSE(fs::exists(partial_path(link.string())));
    EXPECT_FALSE(fs::exists(partial_path(target.string())));
}

}  // namespace
}  // namespace cones
