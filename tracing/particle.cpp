// The names of the traced particles.
#include "tracing/particle.hpp"

#include <charconv>

namespace cones {
namespace {

struct NamedParticle {
    std::string_view name;
    Particle particle;
};

constexpr NamedParticle kNamedParticles[] = {
    {"proton", {1, 1}},    {"antiproton", {-1, 1}}, {"electron", {-1, 0}},
    {"positron", {1, 0}},  {"alpha", {2, 4}},       {"helium-3", {2, 3}},
};

// A whole number filling all of `text` within [low, high].
std::optional<int> whole_number(std::string_view text, int low, int high) {
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

std::optional<Particle> particle_of_name(std::string_view name) {
    for (const NamedParticle& named : kNamedParticles)
        if (named.name == name) return named.particle;
    const std::size_t comma = name.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const std::optional<int> charge = whole_number(name.substr(0, comma), -118, 118);
    const std::optional<int> mass_number = whole_number(name.substr(comma + 1), 1, 300);
    if (!charge || *charge == 0 || !mass_number) return std::nullopt;
    return Particle{*charge, *mass_number};
}

std::string particle_name(const Particle& particle) {
    for (const NamedParticle& named : kNamedParticles)
        if (named.particle == particle) return std::string(named.name);
    return "Z=" + std::to_string(particle.charge) + ",A=" + std::to_string(particle.mass_number);
}

}  // namespace cones
