// libFuzzer target of the configuration reader: any input text is parsed and,
// when it parses, validated. A ConfigError is the expected answer to bad input;
// anything else escaping (another exception, a crash, a sanitizer report) is a
// fault of the reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/config.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const cones::RunConfiguration config = cones::parse_configuration(text);
        cones::validate_configuration(config);
        // A parsed configuration keeps the record shapes the run relies on.
        for (const cones::StationRecord& station : config.stations) {
            if (station.name.size() != 20) __builtin_trap();
        }
        if (config.parameters[8] != 0.0 || config.parameters[9] != 0.0) __builtin_trap();
    } catch (const cones::ConfigError& error) {
        // The message must name the file and the line.
        if (std::string_view(error.what()).substr(0, 16) != "Cones.ini, line " || error.line() <= 0) __builtin_trap();
    }
    return 0;
}
