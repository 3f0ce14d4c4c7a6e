#include "io/replaced_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <random>

#include "io/output_file.hpp"

namespace cones {
namespace {

// Tries of a new temporary name before giving up.
constexpr int kPartialTries = 100;
// Links followed before a path is taken as it is (the system's own limit).
constexpr int kMaxLinks = 40;

[[noreturn]] void fail(const std::string& name, int error_number) {
    throw OutputError("Can not write file " + name + ": " + std::strerror(error_number));
}

// The file `path` names, with every symbolic link followed, the last one too
// when its target does not exist yet.
std::string followed_links(std::string path) {
    for (int links = 0; links < kMaxLinks; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return path;
        target.resize(static_cast<std::size_t>(length));
        const std::filesystem::path next(target);
        path = next.is_absolute() ? target : (std::filesystem::path(path).parent_path() / next).string();
    }
    return path;
}

// The longest file name the folder of `path` takes, bytes.
long name_limit(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? limit : NAME_MAX;
}

std::string random_letters() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::string letters(6, ' ');
    for (char& letter : letters) letter = kLetters[device() % (sizeof kLetters - 1)];
    return letters;
}

// A temporary file of its own beside `path`, created exclusively (so that no
// other run can be writing it), open for writing.
struct Partial {
    std::string name;
    int descriptor = -1;
};

Partial create_partial(const std::string& path, const std::string& shown_name) {
    const long limit = name_limit(path);
    for (int attempt = 0; attempt < kPartialTries; ++attempt) {
        Partial partial{partial_path(path, random_letters(), limit)};
        partial.descriptor = ::open(partial.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (partial.descriptor >= 0) return partial;
        if (errno != EEXIST) fail(shown_name, errno);
    }
    fail(shown_name, EEXIST);
}

// Writes all of `text`; returns 0 or the system's error number.
int write_all(int descriptor, std::string_view text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(descriptor, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

std::string partial_path(const std::string& path, std::string_view random, long name_max) {
    const std::filesystem::path file(path);
    std::string name = file.filename().string();
    // Built by appending: the concatenation of temporaries draws a false
    // -Wrestrict warning from GCC 12 at -O2.
    std::string suffix = ".";
    suffix.append(random);
    suffix.append(".partial");
    const std::size_t limit = static_cast<std::size_t>(name_max);
    if (name.size() + suffix.size() > limit) name.resize(limit > suffix.size() ? limit - suffix.size() : 0);
    return (file.parent_path() / (name + suffix)).string();
}

ReplacedFile::ReplacedFile(std::string path, const std::string& input) : name_(path), path_(std::move(path)) {
    struct stat target {};
    if (::stat(path_.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        // A device, a pipe or a terminal: opened only when the whole text is
        // ready, and never removed.
        in_place_ = true;
        if (::access(path_.c_str(), W_OK) != 0) fail(name_, errno);
        return;
    }
    if (!input.empty() && same_file(path_, input)) {
        throw OutputError("Can not write file " + name_ + ": it is the configuration file " + input +
                          ", which the run reads");
    }
    path_ = followed_links(path_);
    if (static_cast<long>(std::filesystem::path(path_).filename().string().size()) > name_limit(path_)) {
        fail(name_, ENAMETOOLONG);
    }
    const Partial partial = create_partial(path_, name_);
    ::close(partial.descriptor);
    ::unlink(partial.name.c_str());
}

void ReplacedFile::commit(std::string_view text) {
    if (in_place_) {
        const int descriptor = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        if (descriptor < 0) fail(name_, errno);
        const int write_error = write_all(descriptor, text);
        const int close_error = ::close(descriptor) != 0 ? errno : 0;
        if (write_error != 0 || close_error != 0) fail(name_, write_error != 0 ? write_error : close_error);
        return;
    }
    const Partial partial = create_partial(path_, name_);
    // A file replaced keeps its permission bits.
    struct stat replaced {};
    int error = 0;
    if (::stat(path_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode) &&
        ::fchmod(partial.descriptor, replaced.st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0) error = write_all(partial.descriptor, text);
    if (::close(partial.descriptor) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(partial.name.c_str(), path_.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(partial.name.c_str());
        fail(name_, error);
    }
}

}  // namespace cones
