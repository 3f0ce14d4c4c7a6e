// The cutoff-map program end to end: every grid point against cutoffs for a
// vertical station there, the netCDF file read back with the library, the
// same file from one process, one thread and an MPI job of three ranks,
// Stormer's theorem in the dipole field, the map picture, a rank that fails,
// and unusable command lines.

#include <gtest/gtest.h>
#include <netcdf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "io/cutoff_map_netcdf.hpp"
#include "tests/support/png_image.hpp"
#include "tests/support/program_run.hpp"
#include "tests/support/stormer.hpp"

namespace cones {
namespace {

using namespace testing_support;

// A Cones.ini with the given field model code, station lines and date.
std::string configuration(int model, const std::vector<std::string>& stations = {},
                          const std::string& date = "15 03 2015") {
    std::string text = "map test\n" + date + "\n12 00 00\n2.0\n0\n0\n0\n0\n0\n0\n2\n" + std::to_string(model) +
                       "\n20.0\n0\n-180. 180.\nlat lon zen azi name\n";
    for (const std::string& station : stations) text += station + "\n";
    return text + "#\n";
}

#ifdef CONES_MPI
ProgramRun run_mpi(const fs::path& directory, int ranks, const std::string& executable, const std::string& arguments) {
    return run_in(directory, "/usr/bin/env",
                  kMapEnvironment + "'" MPIEXEC_EXECUTABLE "' -np " + std::to_string(ranks) + " '" + executable + "' " +
                      arguments);
}
#endif

std::string two_decimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// A map file read back with the netCDF library.
class MapFile {
public:
    explicit MapFile(const fs::path& path) {
        EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id_), NC_NOERR) << path;
    }
    ~MapFile() { nc_close(id_); }
    std::size_t dimension(const char* name) const {
        int dim = -1;
        std::size_t length = 0;
        EXPECT_EQ(nc_inq_dimid(id_, name, &dim), NC_NOERR) << name;
        EXPECT_EQ(nc_inq_dimlen(id_, dim, &length), NC_NOERR) << name;
        return length;
    }
    int variable(const char* name) const {
        int var = -1;
        EXPECT_EQ(nc_inq_varid(id_, name, &var), NC_NOERR) << name;
        return var;
    }
    std::vector<double> doubles(const char* name, std::size_t count) const {
        std::vector<double> values(count);
        EXPECT_EQ(nc_get_var_double(id_, variable(name), values.data()), NC_NOERR) << name;
        return values;
    }
    std::vector<int> integers(const char* name, std::size_t count) const {
        std::vector<int> values(count);
        EXPECT_EQ(nc_get_var_int(id_, variable(name), values.data()), NC_NOERR) << name;
        return values;
    }
    // A text attribute of a variable, or of the file for "" .
    std::string text(const char* variable_name, const char* attribute) const {
        const int var = *variable_name ? variable(variable_name) : NC_GLOBAL;
        std::size_t length = 0;
        if (nc_inq_attlen(id_, var, attribute, &length) != NC_NOERR) return "(none)";
        std::string value(length, '\0');
        nc_get_att_text(id_, var, attribute, value.data());
        return value;
    }
    double number(const char* attribute) const {
        double value = 0.0;
        EXPECT_EQ(nc_get_att_double(id_, NC_GLOBAL, attribute, &value), NC_NOERR) << attribute;
        return value;
    }

private:
    int id_ = -1;
};

// The vertical station lines of a 30 by 60 degree map, one per grid point in
// point order (latitude by latitude from the south pole).
std::vector<std::string> coarse_grid_stations() {
    std::vector<std::string> stations;
    for (int lat = -90; lat <= 90; lat += 30) {
        for (int lon = -180; lon <= 180; lon += 60) {
            stations.push_back(std::to_string(lat) + " " + std::to_string(lon) + " 0 0 P" +
                               std::to_string(stations.size()));
        }
    }
    return stations;
}

// The cutoff columns (RL,RU,Rc,bands,note) of each row of a CSV text whose
// rows end in them, after the header.
std::vector<std::string> cutoff_columns(const std::string& csv, std::size_t leading_fields) {
    std::vector<std::string> columns;
    std::vector<std::string> lines = split(csv, '\n');
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (lines[k].empty()) continue;
        std::size_t start = 0;
        for (std::size_t f = 0; f < leading_fields; ++f) start = lines[k].find(',', start) + 1;
        columns.push_back(lines[k].substr(start));
    }
    return columns;
}

TEST(CutoffMap, EveryPointAgreesWithCutoffsAndTheFileReadsBack) {
    ScratchDirectory dir("map_igrf");
    const std::vector<std::string> stations = coarse_grid_stations();
    write_file(dir.path() / "Cones.ini", configuration(10));
    write_file(dir.path() / "stations.ini", configuration(10, stations));
    const std::string scan = "--step 0.1";
    const ProgramRun map = run_map(dir.path(), "--lat-step 30 --lon-step 60 " + scan + " -o map.nc");
    ASSERT_EQ(map.status, 0) << map.err;
    EXPECT_EQ(map.err, "");
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"Cones.ini", "map.nc", "stations.ini"}));
    const ProgramRun cutoffs = run_in(dir.path(), CUTOFFS_EXECUTABLE, scan + " --csv stations.ini");
    ASSERT_EQ(cutoffs.status, 0) << cutoffs.err;
    const std::vector<std::string> expected = cutoff_columns(cutoffs.out, 5);
    ASSERT_EQ(expected.size(), 49u);

    const MapFile file(dir.path() / "map.nc");
    ASSERT_EQ(file.dimension("lat"), 7u);
    ASSERT_EQ(file.dimension("lon"), 7u);
    const std::vector<double> lat = file.doubles("lat", 7), lon = file.doubles("lon", 7);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(lat[static_cast<std::size_t>(k)], -90.0 + 30.0 * k);
        EXPECT_EQ(lon[static_cast<std::size_t>(k)], -180.0 + 60.0 * k);
    }
    EXPECT_EQ(file.text("lat", "units"), "degrees_north");
    EXPECT_EQ(file.text("lon", "units"), "degrees_east");
    for (const char* name : {"Rc", "RL", "RU"}) {
        EXPECT_EQ(file.text(name, "units"), "GV") << name;
        EXPECT_NE(file.text(name, "long_name"), "(none)") << name;
    }
    EXPECT_EQ(file.text("", "Conventions"), "CF-1.8");
    EXPECT_EQ(file.text("", "date"), "2015-03-15");
    EXPECT_EQ(file.text("", "time"), "12:00:00 UT");
    EXPECT_EQ(file.text("", "field_model"), "field model 10 (IGRF-12)");
    EXPECT_EQ(file.number("altitude_km"), 20.0);
    EXPECT_EQ(file.number("scan_step_GV"), 0.1);
    EXPECT_EQ(file.number("scan_from_GV"), 0.1);

    // Each point as cutoffs gives it for a vertical station there: a value in
    // the scan is the same number; one below the scan's start is flagged and
    // holds the start.
    const std::vector<double> rl = file.doubles("RL", 49), ru = file.doubles("RU", 49), rc = file.doubles("Rc", 49);
    const std::vector<int> rc_place = file.integers("Rc_place", 49), bands = file.integers("bands", 49);
    int resolved = 0;
    for (std::size_t p = 0; p < 49; ++p) {
        const std::vector<std::string> want = split(expected[p], ',');  // RL, RU, Rc, bands, note
        if (want[4].empty()) {
            EXPECT_EQ(rc_place[p], map_place::kAt) << stations[p];
            EXPECT_EQ(two_decimals(rl[p]) + "," + two_decimals(ru[p]) + "," + two_decimals(rc[p]),
                      want[0] + "," + want[1] + "," + want[2])
                << stations[p];
            ++resolved;
        } else {
            EXPECT_EQ(want[4], "RL below 0.10; RU below 0.10; Rc below 0.10") << stations[p];
            EXPECT_EQ(rc_place[p], map_place::kBelow) << stations[p];
            EXPECT_EQ(rc[p], 0.1) << stations[p];
        }
        EXPECT_EQ(std::to_string(bands[p]), want[3]) << stations[p];
    }
    EXPECT_GE(resolved, 30) << "most points have their cutoffs inside the scan";
}

TEST(CutoffMap, OneProcessOneThreadThreeRanksAndTheFullScanWriteTheSameFile) {
    ScratchDirectory dir("map_same");
    write_file(dir.path() / "Cones.ini", configuration(10));
    write_file(dir.path() / "stations.ini", configuration(10, coarse_grid_stations()));
    const std::string grid = "--lat-step 30 --lon-step 60 --step 0.5 ";
    const ProgramRun all = run_map(dir.path(), grid + "-o all.nc");
    ASSERT_EQ(all.status, 0) << all.err;
    const ProgramRun one = run_map(dir.path(), grid + "--threads 1 --lanes 1 -o one.nc");
    ASSERT_EQ(one.status, 0) << one.err;
    const std::string reference = read_file(dir.path() / "all.nc");
    ASSERT_GT(reference.size(), 1000u);
    EXPECT_TRUE(read_file(dir.path() / "one.nc") == reference) << "--threads 1 --lanes 1 gives another file";
    const ProgramRun full = run_map(dir.path(), grid + "--scan full -o full.nc");
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_TRUE(read_file(dir.path() / "full.nc") == reference) << "--scan full gives another file";
#ifdef CONES_MPI
    const ProgramRun ranks = run_mpi(dir.path(), 3, CUTOFF_MAP_EXECUTABLE, grid + "-o ranks.nc");
    ASSERT_EQ(ranks.status, 0) << ranks.err;
    EXPECT_TRUE(read_file(dir.path() / "ranks.nc") == reference) << "three ranks give another file";
    EXPECT_NE(ranks.err.find("cutoff-map: 3 ranks; grid points and tracing time per rank: "), std::string::npos)
        << ranks.err;
#else
    ADD_FAILURE() << "built without MPI (CONES_MPI): the three-rank run is not tested";
#endif
    // The CSV holds the same grid, each row with the cutoff columns of cutoffs.
    const ProgramRun csv = run_map(dir.path(), grid + "--csv -o map.csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::string map_csv = read_file(dir.path() / "map.csv");
    EXPECT_EQ(map_csv.rfind("latitude,longitude,RL,RU,Rc,bands,note\n-90,-180,", 0), 0u);
    const ProgramRun cutoffs = run_in(dir.path(), CUTOFFS_EXECUTABLE, "--step 0.5 --csv stations.ini");
    ASSERT_EQ(cutoffs.status, 0) << cutoffs.err;
    EXPECT_EQ(cutoff_columns(map_csv, 2), cutoff_columns(cutoffs.out, 5));
}

TEST(CutoffMap, DipoleMapObeysStormersTheorem) {
    ScratchDirectory dir("map_dipole");
    write_file(dir.path() / "Cones.ini", configuration(0));
    const double step = 0.05;
    const ProgramRun run = run_map(dir.path(), "--lat-step 15 --lon-step 30 --step 0.05 --to 16 -o dipole.nc");
    ASSERT_EQ(run.status, 0) << run.err;
    const MapFile file(dir.path() / "dipole.nc");
    const std::size_t lats = file.dimension("lat"), lons = file.dimension("lon");
    ASSERT_EQ(lats * lons, 13u * 13u);
    const std::vector<double> lat = file.doubles("lat", lats), lon = file.doubles("lon", lons);
    const std::vector<double> rl = file.doubles("RL", lats * lons), rc = file.doubles("Rc", lats * lons);
    const std::vector<int> rl_place = file.integers("RL_place", lats * lons);
    const std::vector<int> rc_place = file.integers("Rc_place", lats * lons);

    std::ostringstream notice;
    const EpochState epoch = set_epoch(2015, 74, 12, 0, 0, notice);
    int equatorial = 0, checked = 0;
    for (std::size_t j = 0; j < lats; ++j) {
        for (std::size_t i = 0; i < lons; ++i) {
            const std::size_t p = j * lons + i;
            const double lambda = dipole_latitude(epoch, lat[j], lon[i]);
            const double stormer = stormer_vertical_cutoff(epoch, 20.0, lambda);
            const std::string where = std::to_string(lat[j]) + ", " + std::to_string(lon[i]);
            // Below Stormer's cutoff no rigidity is allowed (within one step).
            if (rl_place[p] == map_place::kAt) {
                EXPECT_GE(rl[p], stormer - step) << where;
            } else {
                EXPECT_EQ(rl_place[p], map_place::kBelow) << where;
                EXPECT_LT(stormer, 0.1 + step) << where;
            }
            // The Earth's shadow raises Rc above Stormer's value, by at most
            // about a quarter. Below 1 GV the time limit of 10 s forbids the
            // slowest protons too, and the steps are coarse: not compared.
            if (stormer >= 1.0) {
                ASSERT_EQ(rc_place[p], map_place::kAt) << where;
                EXPECT_GE(rc[p], stormer - step) << where;
                EXPECT_LE(rc[p], 1.25 * stormer + step) << where;
                ++checked;
            }
            if (std::fabs(lambda) < 3.0) {
                EXPECT_NEAR(rc[p], stormer, 0.01 * stormer) << where << " at dipole latitude " << lambda;
                ++equatorial;
            }
        }
    }
    EXPECT_GE(checked, 80);
    EXPECT_GE(equatorial, 3);
}

TEST(CutoffMap, PlotScriptDrawsAColouredMap) {
    ScratchDirectory dir("map_plot");
    write_file(dir.path() / "Cones.ini", configuration(0));
    const ProgramRun run = run_map(dir.path(), "--lat-step 30 --lon-step 60 --step 0.5 -o dipole.nc");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string command = "'" CONES_SOURCE_DIR "/tools/plot_cutoff_map' '" +
                                (dir.path() / "dipole.nc").string() + "' '" + (dir.path() / "map.png").string() +
                                "' > '" + (dir.path() / "plot.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << read_file(dir.path() / "plot.txt");
    const PngImage image(read_file(dir.path() / "map.png"));
    ASSERT_GT(image.width(), 600);
    ASSERT_GT(image.height(), 300);
    // The colour image fills most of the picture: count strongly coloured pixels.
    int coloured = 0, samples = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const Rgb p = image.at(x, y);
            const int spread = std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
            coloured += spread > 80;
            ++samples;
        }
    }
    EXPECT_GT(coloured, samples / 3) << coloured << " of " << samples << " samples coloured";
}

#ifdef CONES_MPI
TEST(CutoffMap, ARankThatFailsNamesItsPointsAndNoMapIsLeft) {
    ScratchDirectory dir("map_fault");
    write_file(dir.path() / "Cones.ini", configuration(0));
    // map_rank_fault is cutoff-map with rank 2 failing at its second chunk.
    const ProgramRun run =
        run_mpi(dir.path(), 3, MAP_RANK_FAULT_EXECUTABLE, "--lat-step 30 --lon-step 60 --step 0.5 -o map.nc");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("cutoff-map: rank 2 of 3 failed while it held grid point"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("planted failure; the map is not written."), std::string::npos) << run.err;
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"Cones.ini"}) << "no map, whole or partial";
}

// Ranks started with another configuration or other grids would trace a
// mixed map (it used to be written, with exit status 0): rank 0 compares
// digests of both and ends the job, naming the first rank that differs. A
// rank that cannot use its command line ends the job too, instead of leaving
// the others waiting. Thread counts may differ: the map is the same.
TEST(CutoffMap, RanksStartedForAnotherMapEndTheJob) {
    ScratchDirectory dir("map_jobs");
    write_file(dir.path() / "a.ini", configuration(0));
    write_file(dir.path() / "b.ini", configuration(0, {}, "16 03 2015"));
    const std::string grid = "--lat-step 30 --lon-step 60 --step 0.5 ";
    const ProgramRun alone = run_map(dir.path(), grid + "-o alone.nc a.ini");
    ASSERT_EQ(alone.status, 0) << alone.err;
    const auto two_ranks = [&](const std::string& first, const std::string& second) {
        return run_in(dir.path(), "/usr/bin/env",
                      kMapEnvironment + "'" MPIEXEC_EXECUTABLE "' -np 1 '" CUTOFF_MAP_EXECUTABLE "' " + first +
                          " : -np 1 '" CUTOFF_MAP_EXECUTABLE "' " + second);
    };
    const struct {
        const char* what;
        std::string first, second;
        std::vector<std::string> messages;
    } cases[] = {
        {"another configuration", grid + "-o map.nc a.ini", grid + "-o map.nc b.ini",
         {"cutoff-map: rank 1 of 2 was started with another configuration than rank 0 (its date, time, field model, "
          "IGRF generation, model parameters or start altitude differ); every rank must trace the same map. No map "
          "is written.\n"}},
        {"another IGRF generation", grid + "-o map.nc a.ini", grid + "--igrf 14 -o map.nc a.ini",
         {"cutoff-map: rank 1 of 2 was started with another configuration than rank 0"}},
        {"another scan step", grid + "-o map.nc a.ini", "--lat-step 30 --lon-step 60 --step 0.25 -o map.nc a.ini",
         {"cutoff-map: rank 1 of 2 was started with other options than rank 0"}},
        {"a command line rank 1 cannot use", grid + "-o map.nc a.ini", "--step 0 -o map.nc a.ini",
         {"cutoff-map: rank 1: option --step expects a step of at least 0.001 GV, found 0\n",
          "cutoff-map: another rank cannot use its command line (see its message)"}},
    };
    for (const auto& c : cases) {
        const ProgramRun run = two_ranks(c.first, c.second);
        EXPECT_NE(run.status, 0) << c.what;
        for (const std::string& message : c.messages) {
            EXPECT_NE(run.err.find(message), std::string::npos) << c.what << ": " << run.err;
        }
        EXPECT_FALSE(fs::exists(dir.path() / "map.nc")) << c.what;
    }
    const ProgramRun threads = two_ranks(grid + "--threads 1 -o map.nc a.ini", grid + "--threads 2 -o map.nc a.ini");
    ASSERT_EQ(threads.status, 0) << threads.err;
    EXPECT_TRUE(read_file(dir.path() / "map.nc") == read_file(dir.path() / "alone.nc"));
}
#endif

TEST(CutoffMap, UnusableCommandLinesAndConfigurations) {
    ScratchDirectory dir("map_errors");
    write_file(dir.path() / "Cones.ini", configuration(0));
    write_file(dir.path() / "bad.ini", configuration(0, {}, "31 04 2015"));
    struct Case {
        const char* arguments;
        const char* message;
        int status;
    };
    const Case cases[] = {
        {"--lat-step 7", "option --lat-step 7: the latitude step must divide 180 degrees into whole steps", 1},
        {"--lon-step 0", "option --lon-step 0: the longitude step must be a number above 0 degrees", 1},
        {"--lon-step 400", "the longitude step must be at most 360 degrees", 1},
        {"--lat-step x", "option --lat-step expects a number, found 'x'", 1},
        {"--step 0", "option --step expects a step of at least 0.001 GV", 1},
        {"--lat-step 45.00001", "option --lat-step 45.00001: the latitude step must divide 180 degrees into whole steps", 1},
        {"--from 3 --to 2", "--from 3 is not below --to 2", 1},
        {"-o", "option -o needs a value", 1},
        {"-o ''", "option -o needs a file name", 1},
        {"--svg map.svg", "unknown option '--svg'", 1},
        {"--igrf 15", "option --igrf takes 12, 13 or 14", 1},
        {"--scan fast", "option --scan expects full or adaptive, found 'fast'", 1},
        {"--particle=-1,0", "option --particle expects proton, antiproton, electron", 1},
        {"bad.ini", "bad.ini, line 2:", 1},
        {"missing.ini", "Can not open file missing.ini: No such file or directory", 1},
        {"-o nowhere/map.nc", "Can not write file nowhere/map.nc: No such file or directory", 2},
    };
    for (const Case& c : cases) {
        const ProgramRun run = run_map(dir.path(), c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "cutoff-map.nc")) << c.arguments;
    }
    const ProgramRun help = run_map(dir.path(), "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: cutoff-map [options] [CONFIG]\n", 0), 0u);
}

// The map file names the generation of the reference field it was traced in.
TEST(CutoffMap, TheFileNamesTheGenerationOfTheReferenceField) {
    ScratchDirectory dir("map_generation");
    write_file(dir.path() / "Cones.ini", configuration(89));
    const ProgramRun run = run_map(dir.path(), "--lat-step 90 --lon-step 180 --from 2 --to 10 --step 2 --igrf 14 -o m.nc");
    ASSERT_EQ(run.status, 0) << run.err;
    const MapFile file(dir.path() / "m.nc");
    EXPECT_EQ(file.text("", "internal_field"), "IGRF-14");
    EXPECT_EQ(file.text("", "field_model"), "field model 89 (IGRF-14 + T89, Kp 2)");
}

// With --omni the map's attributes hold the inputs taken from the files and
// name them; without, the configuration is named.
TEST(CutoffMap, TheFileRecordsTheOmniInputsItWasTracedWith) {
    ScratchDirectory dir("map_omni");
    const std::string omni = CONES_SOURCE_DIR "/tests/data/omni/omni2_hourly_2024-04-26_to_05-28.dat";
    write_file(dir.path() / "Cones.ini", configuration(89, {}, "11 05 2024"));
    const std::string options = "--lat-step 90 --lon-step 180 --from 2 --to 10 --step 2 --igrf 14";
    const ProgramRun run = run_map(dir.path(), options + " --omni '" + omni + "' -o m.nc");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("cutoff-map: model inputs at 2024-05-11 12:00:00 UT from OMNI " + omni + ": Kp 8.7\n"),
              std::string::npos)
        << run.err;
    const MapFile file(dir.path() / "m.nc");
    EXPECT_EQ(file.text("", "field_model"), "field model 89 (IGRF-14 + T89, Kp 8.7; from OMNI " + omni + ")");
    EXPECT_EQ(file.text("", "model_parameters_source"), "OMNI " + omni);
    EXPECT_NE(file.text("", "title").find("Kp 8.7; from OMNI"), std::string::npos) << file.text("", "title");
    ASSERT_EQ(run_map(dir.path(), options + " -o plain.nc").status, 0);
    const MapFile plain(dir.path() / "plain.nc");
    EXPECT_EQ(plain.text("", "field_model"), "field model 89 (IGRF-14 + T89, Kp 2)");
    EXPECT_EQ(plain.text("", "model_parameters_source"), "configuration file");
}

TEST(CutoffMapFile, PlacesOfCutoffsAndFailedPointsAreFlagged) {
    // A 90 by 180 degree map of 3 x 3 points with one point of each kind.
    ScratchDirectory dir("map_flags");
    RunConfiguration config = parse_configuration(configuration(89));
    const MapGrid map = make_map_grid(90.0, 180.0);
    const ScanGrid grid = make_scan_grid(1.0, 5.0, 0.5);
    std::vector<EntryCutoffs> points(map.point_count());
    for (EntryCutoffs& point : points) point.lower = point.upper = point.effective = {CutoffPlace::kAt, 3.0};
    points[1].lower = {CutoffPlace::kBelow, 1.0};
    points[1].bands = 4;
    points[2].upper = {CutoffPlace::kAbove, 5.0};
    points[2].effective = {CutoffPlace::kUnresolved, 0.0};
    points[3].failed = true;
    points[3].failed_rigidity = 2.5;
    const fs::path path = dir.path() / "flags.nc";
    write_file(path, cutoff_map_netcdf(config, map, grid, "flags", "test", points));

    const MapFile file(path);
    const std::vector<double> rl = file.doubles("RL", 9), ru = file.doubles("RU", 9), rc = file.doubles("Rc", 9);
    const std::vector<int> rl_place = file.integers("RL_place", 9), ru_place = file.integers("RU_place", 9),
                           rc_place = file.integers("Rc_place", 9), bands = file.integers("bands", 9);
    EXPECT_EQ(rl_place[0] + ru_place[0] + rc_place[0], 0);
    EXPECT_EQ(rl[1], 1.0);
    EXPECT_EQ(rl_place[1], map_place::kBelow);
    EXPECT_EQ(bands[1], 4);
    EXPECT_EQ(ru[2], 5.0);
    EXPECT_EQ(ru_place[2], map_place::kAbove);
    EXPECT_EQ(rc[2], kMapMissingRigidity);
    EXPECT_EQ(rc_place[2], map_place::kUnresolved);
    for (const int place : {rl_place[3], ru_place[3], rc_place[3]}) EXPECT_EQ(place, map_place::kFailed);
    EXPECT_EQ(rc[3], kMapMissingRigidity);
    EXPECT_EQ(bands[3], -1);
    EXPECT_EQ(file.text("", "field_model"), "field model 89 (IGRF-12 + T89, Kp 2)");
    EXPECT_EQ(file.text("Rc_place", "flag_meanings"),
              "within_scan at_or_below_scan_start above_scan_end unresolved integration_failed");
}

}  // namespace
}  // namespace cones
