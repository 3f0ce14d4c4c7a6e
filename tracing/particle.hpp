// The traced particle: its charge and mass numbers, the names a user gives
// it, and what of it enters the tracing. In a static magnetic field a
// particle's path depends only on its rigidity and the sign of its charge, so
// every particle is traced as the proton of its charge sign at the same
// rigidity.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cones {

// A cosmic-ray particle: charge number Z (non-zero) and mass number A (0 for
// the electron and the positron).
struct Particle {
    int charge = 1;
    int mass_number = 1;

    friend bool operator==(const Particle&, const Particle&) = default;
};

inline constexpr Particle kProton{1, 1};

// The particles that have a name, and the words of a message that lists what a
// particle may be.
inline constexpr const char* kParticleChoices =
    "proton, antiproton, electron, positron, alpha, helium-3, or a charge number and mass number Z,A (2,4)";

// The particle of a name.
// Given: "proton", "antiproton", "electron", "positron", "alpha",
// "helium-3", or "Z,A": a charge number from -118 to 118 other than 0 and a
// mass number from 1 to 300, both whole numbers, no blanks.
// Returned: the particle, or nothing for any other text.
std::optional<Particle> particle_of_name(std::string_view name);

// The name of a particle for titles and headers: its name when it has one
// ("alpha"), otherwise "Z=<charge>,A=<mass number>".
std::string particle_name(const Particle& particle);

// Given: a particle. Returned: -1 for a negative charge, +1 for a positive one.
inline int charge_sign(const Particle& particle) { return particle.charge < 0 ? -1 : 1; }

}  // namespace cones
