#include "io/output_file.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>

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
        std::string abbreviation = station.name.substr(0, 3);
        abbreviation.resize(3, ' ');
        line += "  " + abbreviation + "La  " + abbreviation + "Lo";
    }
    return line + kLineEnd;
}

std::string rigidity_field(double rigidity) { return fixed_field(rigidity, 6, 2); }

std::string direction_fields(double latitude, double longitude) {
    return fixed_field(latitude, 7, 1) + fixed_field(longitude, 7, 1);
}

OutputFile::OutputFile(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) fail("create", errno);
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::write_line(const std::string& line) {
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        fail("write", errno);
    }
}

void OutputFile::close() {
    if (file_ == nullptr) return;
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) fail("write", errno);
}

void OutputFile::fail(const char* action, int error_number) {
    std::string reason = error_number != 0 ? std::strerror(error_number) : "unknown error";
    throw OutputError("Can not " + std::string(action) + " file " + path_ + ": " + reason);
}

}  // namespace cones
