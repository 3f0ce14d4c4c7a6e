#include "driver/config.hpp"

namespace cones {

ConfigError::ConfigError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? "Cones.ini, line " + std::to_string(line) + ": " + message
                                  : "Cones.ini: " + message),
      line_(line) {}

ConfigError ConfigError::cannot_open() {
    return ConfigError(Verbatim{}, "Can not open file CONES.INI");
}

}  // namespace cones
