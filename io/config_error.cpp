#include "io/config.hpp"

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

ConfigError ConfigError::cannot_open() {
    return ConfigError(Verbatim{}, "Can not open file CONES.INI");
}

}  // namespace cones
