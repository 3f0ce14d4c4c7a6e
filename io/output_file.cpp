#include "io/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "io/text_columns.hpp"

namespace cones {

std::string fixed_field(double value, int width, int decimals) {
    const std::size_t w = static_cast<std::size_t>(width);
    std::string text;
    if (std::isnan(value)) {
        text = "NaN";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-Inf" : "Inf";
    } else {
        char buffer[64];
        const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::string(w, '*');
        text.assign(buffer, static_cast<std::size_t>(length));
    }
    if (text.size() > w) return std::string(w, '*');
    return std::string(w - text.size(), ' ') + text;
}

std::string cones_header(const std::vector<StationRecord>& stations) {
    std::string line = "Rig_GV";
    for (const StationRecord& station : stations) {
        const std::string abbreviation = fit_to_width(station.name, 3);
        line += "  " + abbreviation + "La  " + abbreviation + "Lo";
    }
    return line + kLineEnd;
}

std::string rigidity_field(double rigidity) { return fixed_field(rigidity, 6, 2); }

std::string direction_fields(double latitude, double longitude) {
    return fixed_field(latitude, 7, 1) + fixed_field(longitude, 7, 1);
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

OutputFile::OutputFile(const std::string& path) : path_(path) {
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor_ < 0) fail("create", errno);
    struct stat status {};
    regular_ = ::fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode);
}

OutputFile::~OutputFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

void OutputFile::write_line(const std::string& line) {
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(descriptor_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail_write(n < 0 ? errno : ENOSPC);
        written += static_cast<std::size_t>(n);
    }
    complete_bytes_ += static_cast<long long>(line.size());
    ++complete_lines_;
}

void OutputFile::close() {
    if (descriptor_ < 0) return;
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) fail("write", errno);
}

void OutputFile::fail_write(int error_number) {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    std::string note;
    if (regular_ && complete_lines_ < 2) {
        ::close(descriptor);
        if (::unlink(path_.c_str()) == 0) note = "; the file is removed, as no rigidity line was complete";
    } else {
        if (regular_ && ::ftruncate(descriptor, static_cast<off_t>(complete_bytes_)) == 0) {
            note = "; the file keeps its " + std::to_string(complete_lines_ - 1) + " complete rigidity lines";
        }
        ::close(descriptor);
    }
    fail("write", error_number, note);
}

void OutputFile::fail(const char* action, int error_number, const std::string& note) const {
    std::string reason = error_number != 0 ? std::strerror(error_number) : "unknown error";
    throw OutputError("Can not " + std::string(action) + " file " + path_ + ": " + reason + note);
}

}  // namespace cones
