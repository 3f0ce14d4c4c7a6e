#include "apps/command_line.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <ostream>

#include "io/output_file.hpp"
#include "tracing/lane_kernels.hpp"

#ifndef CONES_VERSION
#error "the build sets CONES_VERSION"
#endif

namespace cones {

CommandLine::CommandLine(int argc, const char* const* argv, std::initializer_list<CommandOption> options) {
    const auto find_long = [&](std::string_view name) -> const CommandOption* {
        for (const CommandOption& option : options)
            if (option.name == name) return &option;
        return nullptr;
    };
    const auto find_short = [&](char name) -> const CommandOption* {
        for (const CommandOption& option : options)
            if (option.short_name != 0 && option.short_name == name) return &option;
        return nullptr;
    };
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            positional_.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        const CommandOption* known = nullptr;
        std::optional<std::string> inline_value;
        std::string shown;
        if (argument.substr(0, 2) == "--") {
            std::string_view name = argument.substr(2);
            const std::size_t equals = name.find('=');
            if (equals != std::string_view::npos) {
                inline_value = std::string(name.substr(equals + 1));
                name = name.substr(0, equals);
            }
            known = find_long(name);
            shown = "--" + std::string(name);
        } else if (argument.size() == 2) {
            known = find_short(argument[1]);
            shown = std::string(argument);
        }
        if (known == nullptr) throw UsageError("unknown option '" + std::string(argument) + "'");
        const std::string key(known->name);
        if (values_.count(key) != 0) throw UsageError("option " + shown + " is given twice");
        if (!known->takes_value) {
            if (inline_value) throw UsageError("option " + shown + " takes no value");
            values_[key] = "";
        } else if (inline_value) {
            values_[key] = *inline_value;
        } else {
            if (i + 1 >= argc) throw UsageError("option " + shown + " needs a value");
            values_[key] = argv[++i];
        }
    }
}

std::optional<std::string> CommandLine::value(std::string_view name) const {
    const auto found = values_.find(std::string(name));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

double number_option(std::string_view option, const std::string& text) {
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last || !std::isfinite(value)) {
        throw UsageError("option --" + std::string(option) + " expects a number, found '" + text + "'");
    }
    return value;
}

double number_option_or(const CommandLine& line, const CommandOption& option, double fallback) {
    const std::optional<std::string> text = line.value(option.name);
    return text ? number_option(option.name, *text) : fallback;
}

unsigned threads_option(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > 4096) {
        throw UsageError("option --threads expects a whole number from 1 to 4096, found '" + text + "'");
    }
    return value;
}

unsigned lanes_option(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !lane_width_available(value)) {
        std::string widths;
        for (const unsigned width : lane_widths()) widths += (widths.empty() ? "" : ", ") + std::to_string(width);
        throw UsageError("option --lanes expects a lane width of this processor (" + widths + "), found '" + text +
                         "'");
    }
    return value;
}

unsigned threads_of(const CommandLine& line) {
    const std::optional<std::string> text = line.value(kThreadsOption.name);
    return text ? threads_option(*text) : 0;
}

unsigned lanes_of(const CommandLine& line) {
    const std::optional<std::string> text = line.value(kLanesOption.name);
    return text ? lanes_option(*text) : 0;
}

const InternalFieldCoefficients* internal_field_of(const CommandLine& line) {
    const std::optional<std::string> text = line.value(kIgrfOption.name);
    if (!text) return nullptr;
    for (const InternalFieldCoefficients* field : kInternalFieldGenerations) {
        if (*text == std::to_string(field->generation)) return field;
    }
    throw UsageError("option --igrf takes 12, 13 or 14 (the generation of the reference field), not '" + *text +
                     "'");
}

TracingChoices tracing_choices_of(const CommandLine& line) {
    TracingChoices choices;
    choices.geodetic = line.has(kGeodeticOption.name);
    if (const std::optional<std::string> text = line.value(kParticleOption.name)) {
        const std::optional<Particle> particle = particle_of_name(*text);
        if (!particle) {
            throw UsageError("option --particle expects " + std::string(kParticleChoices) + ", found '" + *text + "'");
        }
        choices.particle = *particle;
    }
    return choices;
}

FewerThreadsNotice fewer_threads_notice(const std::string& speaker, std::ostream& errors) {
    auto told = std::make_shared<bool>(false);
    return [speaker, &errors, told](unsigned started, unsigned asked, const std::string& reason) {
        if (*told) return;
        *told = true;
        // One write, so that the notices of the ranks of a map do not interleave.
        errors << speaker + ": only " + std::to_string(started) + " of the " + std::to_string(asked) +
                      " tracing threads asked for could be started (" + reason + "); the run goes on " +
                      (started == 0 ? std::string("on the program's own thread") : "with " + std::to_string(started)) +
                      ", with the same results\n"
               << std::flush;
    };
}

const char* program_version() { return CONES_VERSION; }

void check_standard_output(const std::ostream& out) {
    if (out.good()) return;
    const int error_number = errno;
    throw OutputError(std::string("Can not write standard output: ") +
                      (error_number != 0 ? std::strerror(error_number) : "the write failed"));
}

int run_program_main(const ProgramInfo& info, int argc, const char* const* argv, std::ostream& out,
                     std::ostream& err, const std::function<int(int, const char* const*)>& body) {
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        int status = -1;
        for (int i = 1; i < argc && status < 0; ++i) {
            const std::string_view argument = argv[i];
            if (argument == "--") break;
            if (argument == "--help" || argument == "-h") {
                out << info.usage;
                status = 0;
            } else if (argument == "--version") {
                out << info.name << ' ' << program_version() << '\n';
                status = 0;
            }
        }
        if (status < 0) status = body(argc, argv);
        out.flush();
        // A run that failed has said so; only a success is checked here.
        if (status == 0) check_standard_output(out);
        return status;
    } catch (const OutputError& error) {
        err << error.what() << '\n';
        return 2;
    } catch (const UsageError& error) {
        out.flush();
        err << info.name << ": " << error.what() << "\nTry '" << info.name << " --help' for more information.\n";
        return 1;
    } catch (const std::bad_alloc&) {
        out.flush();
        err << info.name << ": out of memory\n";
        return 4;
    } catch (const std::exception& error) {
        out.flush();
        err << info.name << ": " << error.what() << '\n';
        return 4;
    }
}

}  // namespace cones
