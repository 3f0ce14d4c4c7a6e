// Files that appear whole or not at all: written under a temporary name of
// their own and renamed when complete.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "io/output_file.hpp"
#include "io/replaced_file.hpp"
#include "tests/support/program_run.hpp"

namespace cones {
namespace {

using namespace testing_support;

std::string message_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const OutputError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ReplacedFile, AppearsOnlyWhenCommitted) {
    ScratchDirectory dir("replaced");
    const std::string path = (dir.path() / "chart.svg").string();
    write_file(path, "earlier chart");
    {
        ReplacedFile file(path);
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"chart.svg"})
            << "only checked, not kept, while the work runs";
    }  // abandoned: the earlier file stays
    EXPECT_EQ(read_file(path), "earlier chart");

    ReplacedFile file(path);
    file.commit("new chart");
    EXPECT_EQ(read_file(path), "new chart");
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"chart.svg"});

    EXPECT_EQ(message_of([&] { ReplacedFile((dir.path() / "missing" / "x.svg").string()); }),
              "Can not write file " + (dir.path() / "missing" / "x.svg").string() + ": No such file or directory");
}

// Runs that write the same name each take a temporary file of their own,
// created exclusively: one never writes, truncates or renames another's, and
// the last complete rename wins. ("map.csv.partial" is the name every run
// used to share.)
TEST(ReplacedFile, RunsWritingTheSameNameNeverShareATemporaryFile) {
    ScratchDirectory dir("replaced_shared");
    const std::string path = (dir.path() / "map.csv").string();
    write_file(path + ".partial", "half of another run's map");
    ReplacedFile first(path);
    ReplacedFile second(path);
    first.commit("first map");
    EXPECT_EQ(read_file(path), "first map");
    second.commit("second map");
    EXPECT_EQ(read_file(path), "second map");
    EXPECT_EQ(read_file(path + ".partial"), "half of another run's map");
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"map.csv", "map.csv.partial"}));

    // The temporary name: beside the file, cut short where the whole would
    // pass the folder's limit of a name.
    EXPECT_EQ(partial_path("maps/rc.nc", "a1B2c3", 255), "maps/rc.nc.a1B2c3.partial");
    EXPECT_EQ(partial_path("rc.nc", "a1B2c3", 255), "rc.nc.a1B2c3.partial");
    const std::string long_name(250, 'm');
    EXPECT_EQ(partial_path("maps/" + long_name, "a1B2c3", 255), "maps/" + long_name.substr(0, 240) + ".a1B2c3.partial");
}

// A name as long as its folder allows is written (its temporary name is cut
// short); a longer one is refused before the work that fills it.
TEST(ReplacedFile, ANameAsLongAsTheFolderAllows) {
    ScratchDirectory dir("replaced_long");
    const long limit = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 20);
    const fs::path longest = dir.path() / std::string(static_cast<std::size_t>(limit), 'n');
    ReplacedFile(longest.string()).commit("a chart");
    EXPECT_EQ(read_file(longest), "a chart");
    EXPECT_EQ(names_in(dir.path()).size(), 1u);
    const std::string too_long = (dir.path() / std::string(static_cast<std::size_t>(limit) + 1, 'n')).string();
    EXPECT_EQ(message_of([&] { ReplacedFile{too_long}; }), "Can not write file " + too_long + ": File name too long");
}

// A file replaced keeps its permission bits; a new one gets rw-rw-rw- less
// the umask, as a file the program creates directly would.
TEST(ReplacedFile, PermissionBitsAreKept) {
    ScratchDirectory dir("replaced_modes");
    const fs::path kept = dir.path() / "kept.svg";
    write_file(kept, "old");
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    ReplacedFile(kept.string()).commit("new");
    EXPECT_EQ(fs::status(kept).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ReplacedFile(kept.string()).commit("newer");
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(read_file(kept), "newer");

    const mode_t old_mask = ::umask(027);
    ReplacedFile((dir.path() / "new.svg").string()).commit("new");
    ::umask(old_mask);
    EXPECT_EQ(fs::status(dir.path() / "new.svg").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// An output that is the configuration the run reads, by any name, is refused
// before anything is written, and the configuration stays as it was.
TEST(ReplacedFile, TheConfigurationItselfIsRefused) {
    ScratchDirectory dir("replaced_input");
    const fs::path input = dir.path() / "Cones.ini";
    write_file(input, "the configuration");
    fs::create_symlink("Cones.ini", dir.path() / "link.svg");
    fs::create_hard_link(input, dir.path() / "hard.svg");
    for (const fs::path& output : {input, dir.path() / "link.svg", dir.path() / "hard.svg", dir.path() / "." / "Cones.ini"}) {
        EXPECT_EQ(message_of([&] { ReplacedFile(output.string(), input.string()); }),
                  "Can not write file " + output.string() + ": it is the configuration file " + input.string() +
                      ", which the run reads");
    }
    EXPECT_EQ(read_file(input), "the configuration");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.svg"));
    ReplacedFile((dir.path() / "other.svg").string(), input.string()).commit("a chart");
    EXPECT_EQ(read_file(dir.path() / "other.svg"), "a chart");
    // A device is written in place, never replaced: it is not refused.
    ReplacedFile("/dev/null", "/dev/null").commit("a map");
}

// A name that is not a regular file is written in place and never replaced
// (replacing /dev/full or /dev/stdout would put a regular file in its stead),
// with no scratch file anywhere (the temporary directory need not exist); a
// link is followed, also to a file that does not exist yet, and the link
// stays.
TEST(ReplacedFile, DevicesPipesAndLinksAreWrittenWhereTheyPoint) {
    const char* old_temporary = std::getenv("TMPDIR");
    const std::string kept_temporary = old_temporary != nullptr ? old_temporary : "";
    ::setenv("TMPDIR", "/nonexistent-temporary-directory", 1);
    ReplacedFile("/dev/null").commit("a map");
    {
        ReplacedFile full_device("/dev/full");
        EXPECT_EQ(message_of([&] { full_device.commit(std::string(1 << 16, 'x')); }),
                  "Can not write file /dev/full: No space left on device");
    }
    for (const char* device : {"/dev/null", "/dev/full"}) {
        EXPECT_TRUE(fs::is_character_file(device)) << device;
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
    ReplacedFile(pipe.string()).commit("lat,lon,Rc\n");
    reader.join();
    EXPECT_EQ(received, "lat,lon,Rc\n");
    EXPECT_TRUE(fs::is_fifo(pipe));
    if (old_temporary != nullptr) {
        ::setenv("TMPDIR", kept_temporary.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }

    const fs::path target = dir.path() / "maps" / "rc.csv";
    const fs::path link = dir.path() / "latest.csv";
    fs::create_directories(target.parent_path());
    write_file(target, "old map");
    fs::create_symlink(target, link);
    ReplacedFile(link.string()).commit("new map");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(target), "new map");
    EXPECT_EQ(names_in(target.parent_path()), std::vector<std::string>{"rc.csv"});

    // A dangling link, relative to its folder: the file it names is created.
    const fs::path dangling = dir.path() / "next.csv";
    fs::create_symlink("maps/next-target.csv", dangling);
    ReplacedFile(dangling.string()).commit("first map");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(read_file(target.parent_path() / "next-target.csv"), "first map");
    EXPECT_EQ(names_in(target.parent_path()), (std::vector<std::string>{"next-target.csv", "rc.csv"}));
}

}  // namespace
}  // namespace cones
