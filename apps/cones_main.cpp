// cones: asymptotic cones of acceptance of cosmic-ray stations.
// Reads "Cones.ini" in the current directory and writes "Cones.dat" there.
#include <iostream>

#include "apps/cones_run.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    return cones::run_program(std::cout, std::cerr);
}
