#include "io/replaced_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/output_file.hpp"

namespace cones {
namespace {

[[noreturn]] void fail(const std::string& path, int error_number) {
    std::remove(partial_path(path).c_str());
    throw OutputError("Can not write file " + path + ": " + std::strerror(error_number));
}

}  // namespace

std::string partial_path(const std::string& path) { return path + ".partial"; }

ReplacedFile::ReplacedFile(std::string path) : path_(std::move(path)) {
    std::FILE* file = std::fopen(partial_path(path_).c_str(), "wb");
    if (file == nullptr) throw OutputError("Can not write file " + path_ + ": " + std::strerror(errno));
    std::fclose(file);
    std::remove(partial_path(path_).c_str());
}

ReplacedFile::~ReplacedFile() {
    if (pending_) std::remove(partial_path(path_).c_str());
}

void ReplacedFile::commit(std::string_view text) {
    pending_ = false;
    std::FILE* file = std::fopen(partial_path(path_).c_str(), "wb");
    if (file == nullptr) fail(path_, errno);
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int write_error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) fail(path_, write_error != 0 ? write_error : errno != 0 ? errno : EIO);
    commit();
}

void ReplacedFile::commit() {
    pending_ = false;
    if (std::rename(partial_path(path_).c_str(), path_.c_str()) != 0) fail(path_, errno);
}

}  // namespace cones
