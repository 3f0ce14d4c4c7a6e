#include "io/replaced_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "io/output_file.hpp"

namespace cones {
namespace {

[[noreturn]] void fail(const std::string& name, int error_number) {
    throw OutputError("Can not write file " + name + ": " + std::strerror(error_number));
}

}  // namespace

std::string partial_path(const std::string& path) { return path + ".partial"; }

ReplacedFile::ReplacedFile(std::string path) : name_(path), path_(std::move(path)) {
    struct stat target;
    if (::stat(path_.c_str(), &target) == 0) {
        if (!S_ISREG(target.st_mode)) {
            // A device, a pipe or a terminal: opened only when the whole text
            // is ready, and never removed. A writer that fills its own file
            // gets a scratch file, copied in on commit.
            in_place_ = true;
            if (::access(path_.c_str(), W_OK) != 0) fail(name_, errno);
            std::error_code error;
            std::string scratch = (std::filesystem::temp_directory_path(error) / "cones-output-XXXXXX").string();
            if (error) fail(name_, error.value());
            const int descriptor = ::mkstemp(scratch.data());
            if (descriptor < 0) fail(name_, errno);
            ::close(descriptor);
            scratch_ = scratch;
            return;
        }
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(path_, error);
        if (error) fail(name_, error.value());
        path_ = resolved.string();
    }
    std::FILE* file = std::fopen(partial_path(path_).c_str(), "wb");
    if (file == nullptr) fail(name_, errno);
    std::fclose(file);
    std::remove(partial_path(path_).c_str());
}

ReplacedFile::~ReplacedFile() {
    if (in_place_) {
        std::remove(scratch_.c_str());
    } else if (pending_) {
        std::remove(partial_path(path_).c_str());
    }
}

void ReplacedFile::commit(std::string_view text) {
    const std::string target = in_place_ ? path_ : partial_path(path_);
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (file == nullptr) {
        const int open_error = errno;
        pending_ = false;
        if (!in_place_) std::remove(target.c_str());
        fail(name_, open_error);
    }
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int write_error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int error_number = write_error != 0 ? write_error : errno != 0 ? errno : EIO;
        pending_ = false;
        if (!in_place_) std::remove(target.c_str());
        fail(name_, error_number);
    }
    pending_ = false;
    if (!in_place_) rename_into_place();
}

void ReplacedFile::commit() {
    if (in_place_) {
        std::FILE* scratch = std::fopen(scratch_.c_str(), "rb");
        if (scratch == nullptr) fail(name_, errno);
        std::string text;
        char buffer[1 << 16];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, scratch)) > 0) text.append(buffer, count);
        const bool read = std::ferror(scratch) == 0;
        std::fclose(scratch);
        if (!read) fail(name_, EIO);
        commit(text);
        return;
    }
    pending_ = false;
    rename_into_place();
}

void ReplacedFile::rename_into_place() {
    if (std::rename(partial_path(path_).c_str(), path_.c_str()) != 0) {
        const int rename_error = errno;
        std::remove(partial_path(path_).c_str());
        fail(name_, rename_error);
    }
}

}  // namespace cones
