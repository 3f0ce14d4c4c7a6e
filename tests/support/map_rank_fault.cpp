// cutoff-map with a planted fault: in an MPI job, rank 2 fails (throws) when
// it is about to trace its second chunk of grid points. Otherwise it runs as
// the program does, with the program's command line.
#include <iostream>
#include <stdexcept>

#include "apps/cutoff_map_run.hpp"
#include "apps/map_ranks.hpp"

int main(int argc, char** argv) {
    const cones::MapRanks ranks(argc, argv);
    int chunks = 0;
    const cones::BeforeChunk fault = [&](std::size_t, std::size_t) {
        if (ranks.rank() == 2 && ++chunks == 2) throw std::runtime_error("planted failure");
    };
    try {
        return cones::run_cutoff_map(cones::cutoff_map_request(argc, argv), ranks, std::cerr, fault);
    } catch (const std::exception& error) {
        std::cerr << "map_rank_fault: " << error.what() << '\n';
        return 4;
    }
}
