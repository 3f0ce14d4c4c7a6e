#include "io/config.hpp"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace cones {
namespace {

// "Cones.ini, line <line>: <message>", or "Cones.ini: <message>" for line 0.
std::string located_message(int line, const std::string& message) {
    std::string text = "Cones.ini";
    if (line > 0) {
        text.append(", line ");
        text.append(std::to_string(line));
    }
    text.append(": ");
    text.append(message);
    return text;
}

}  // namespace

ConfigError::ConfigError(int line, const std::string& message)
    : std::runtime_error(located_message(line, message)), line_(line) {}

ConfigError ConfigError::cannot_open(const std::string& path, int error_number) {
    std::error_code error;
    const std::filesystem::path tried = std::filesystem::absolute(path, error);
    const std::string reason = std::strerror(error_number);
    // The first words are the program's message of old, which scripts may look
    // for; the rest says which file was tried and why it failed.
    return ConfigError(Verbatim{}, "Can not open file CONES.INI (" + (error ? path : tried.string()) + ": " + reason + ")",
                       reason);
}

}  // namespace cones
