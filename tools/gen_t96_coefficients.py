#!/usr/bin/env python3
"""Writes models/t96/t96_coefficients.cpp, the coefficient tables of the T96 model.

Usage: tools/gen_t96_coefficients.py T96_TABLES_TEXT > models/t96/t96_coefficients.cpp

T96_TABLES_TEXT holds the long published tables, each as a line
"table NAME COUNT", a comment line and COUNT numbers. The short tables (the
driver's amplitudes, the interconnection field, the dipole shielding
harmonics, the high-latitude weights of region 1 and the non-linear
parameters of the region-2 sheet) are the published values written below.

Single-precision tables are written as float literals of the published
decimals (the compiler rounds each to the nearest float); the region-2 sheet
tables as double literals, except entry 7 of table A, which is single
precision.
"""
import sys

AMPLITUDES = ["1.162", "22.344", "18.5", "2.602", "6.903", "5.287", "0.579", "0.4462", "0.785"]

INTERCONNECTION = ["-8.411078", "5932255", "-9073285", "-11.687946", "6027599", "-9218378",
                   "-6.5087986", "-11824.428", "18015.662", "7.9975405", "13.966989", "90.24475",
                   "16.757288", "1015.64575", "1553.4932"]

PERPENDICULAR = (["0.24777", "-27.003", "-0.46815", "7.0637", "-1.5918", "-0.090317"],
                 ["57.522", "13.757", "2.01", "10.458", "4.5798", "2.1695"])
PARALLEL = (["-0.65385", "-18.061", "-0.40457", "-5.0995", "1.2846", "0.078231"],
            ["39.592", "13.291", "1.997", "10.062", "4.514", "2.1558"])

HIGH_LATITUDE = ["-0.000911582", "-0.00376654", "-0.00727423", "-0.00270084", "-0.00123899",
                 "-0.00154387", "-0.0034004", "-0.0191858", "-0.0518979", "0.0635061", "0.44068",
                 "-0.39657", "0.00561238", "0.00160938", "-0.00451229", "-0.0025181",
                 "-0.00151599", "-0.00133665", "-0.000962089", "-0.0272085", "-0.0524319",
                 "0.0717024", "0.523439", "-0.405015", "-89.5587", "23.2806"]

SHEET_PROFILES = {
    "X": ["-19.0969", "-9.28828", "-0.129687", "5.58594", "22.5055", "0.048375", "0.0396953",
          "0.0579023"],
    "Y": ["-13.675", "-6.70625", "2.31875", "11.4062", "20.4562", "0.047875", "0.036375",
          "0.05675"],
    "Z": ["-16.7125", "-16.4625", "-0.1625", "5.1", "23.7125", "0.0355625", "0.031875",
          "0.053875"],
}

EXPECTED_COUNTS = {
    "T96_RING_CURRENT_SHIELD": 48, "T96_TAIL_MODE2_SHIELD": 48, "T96_TAIL_MODE3_SHIELD": 48,
    "T96_REGION1_PLASMA_SHEET_C2": 79, "T96_REGION1_SHIELD": 80, "T96_REGION2_SHIELD": 24,
    "T96_REGION2_SHEET_A": 80, "T96_REGION2_SHEET_B": 80, "T96_REGION2_SHEET_C": 80,
}


def read_tables(path):
    tables, name, count = {}, None, 0
    with open(path) as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = line.split()
            if parts[0] == "table":
                name, count = parts[1], int(parts[2])
                tables[name] = []
                continue
            if name is None:
                sys.exit("numbers before the first table line")
            tables[name].extend(parts)
    for key, n in EXPECTED_COUNTS.items():
        if len(tables.get(key, [])) != n:
            sys.exit(f"table {key}: expected {n} numbers, found {len(tables.get(key, []))}")
    return tables


def decimal(text):
    float(text)  # reject anything that is not a number
    if "." not in text and "e" not in text.lower():
        text += ".0"
    return text


def single(text):
    return decimal(text) + "f"


def numbered(rows, indent="    "):
    """Rows of an initializer, with the row number in a comment every ten rows."""
    out = ""
    for n, row in enumerate(rows, start=1):
        comment = f"  // {n}" if n == 1 or n % 10 == 0 else ""
        out += f"{indent}{row},{comment}\n"
    return out


def shielding(name, values, n):
    pairs = 2 * n * n
    amplitudes = values[:2 * pairs]
    scales = values[2 * pairs:]
    rows = [f"{{{single(amplitudes[2 * j])}, {single(amplitudes[2 * j + 1])}}}" for j in range(pairs)]
    text = f"const T96ShieldingTable<{n}> {name} = {{\n"
    text += f"    // amplitude pairs of harmonic (m, i, k), k fastest\n    {{\n"
    text += numbered(rows, "        ")
    text += "    },\n"
    for label, k in (("p", 0), ("r", 1), ("q", 2), ("s", 3)):
        chunk = ", ".join(single(v) for v in scales[k * n:(k + 1) * n])
        text += f"    {{{chunk}}},  // {label}\n"
    return text + "};\n\n"


def sheet(name, values, single_entries=()):
    rows = []
    for row in range(20):
        entries = []
        for t in range(4):
            index = 4 * row + t
            text = decimal(values[index])
            entries.append(f"double({text}f)" if index + 1 in single_entries else text)
        rows.append("{" + ", ".join(entries) + "}")
    return f"const T96ProfileTerms {name}[20] = {{\n" + numbered(rows) + "};\n\n"


def braced(values, convert=single):
    return "{" + ", ".join(convert(v) for v in values) + "}"


def main(path):
    t = read_tables(path)
    out = sys.stdout
    out.write("// Coefficient tables of the T96 magnetospheric field model, generated by\n"
              "// tools/gen_t96_coefficients.py from the published values. Do not edit by hand.\n\n"
              '#include "models/t96/t96_coefficients.hpp"\n\nnamespace cones {\n\n')

    out.write("const T96Amplitudes kT96Amplitudes = " + braced(AMPLITUDES) + ";\n\n")

    c = INTERCONNECTION
    out.write("const T96InterconnectionTable kT96Interconnection = {\n"
              f"    {{{braced(c[0:3])}, {braced(c[3:6])}, {braced(c[6:9])}}},  // amplitude[i][k]\n"
              f"    {braced(c[9:12])},  // p\n    {braced(c[12:15])},  // r\n}};\n\n")

    for name, (amplitudes, scales) in (("kT96PerpendicularDipoleShielding", PERPENDICULAR),
                                       ("kT96ParallelDipoleShielding", PARALLEL)):
        rows = ", ".join(f"{{{single(a)}, {single(d)}}}" for a, d in zip(amplitudes, scales))
        out.write(f"const T96CylindricalHarmonic {name}[6] = {{{rows}}};\n\n")

    out.write(shielding("kT96RingCurrentShielding", t["T96_RING_CURRENT_SHIELD"], 3))
    out.write(shielding("kT96TailDiskShielding", t["T96_TAIL_MODE2_SHIELD"], 3))
    out.write(shielding("kT96LongTailShielding", t["T96_TAIL_MODE3_SHIELD"], 3))
    out.write(shielding("kT96Region1Shielding", t["T96_REGION1_SHIELD"], 4))
    out.write(shielding("kT96Region2Shielding", t["T96_REGION2_SHIELD"], 2))

    h = HIGH_LATITUDE
    out.write("const T96HighLatitudeCoefficients kT96HighLatitude = {\n"
              f"    {braced(h[0:12])},  // z-dipoles\n"
              f"    {braced(h[12:24])},  // x-dipoles\n"
              f"    {single(h[24])},  // crossed loops\n    {single(h[25])},  // loop\n}};\n\n")

    p = t["T96_REGION1_PLASMA_SHEET_C2"]
    groups = lambda values, size: ",\n        ".join(
        braced(values[j:j + size]) for j in range(0, len(values), size))
    out.write("const T96PlasmaSheetCoefficients kT96PlasmaSheet = {\n"
              f"    {braced(p[0:5])},  // conical harmonics, entries 1..5\n"
              f"    {{  // off-axis dipole groups, entries 6..32\n        {groups(p[5:32], 3)}}},\n"
              f"    {{  // their tilt terms, entries 33..59\n        {groups(p[32:59], 3)}}},\n"
              f"    {{  // on-axis pairs, entries 60..69\n        {groups(p[59:69], 2)}}},\n"
              f"    {{  // their tilt terms, entries 70..79\n        {groups(p[69:79], 2)}}},\n"
              "};\n\n")

    for axis, values in SHEET_PROFILES.items():
        out.write(f"const T96SheetProfile kT96Region2SheetProfile{axis} = "
                  f"{{{braced(values[:5], decimal)}, {braced(values[5:], decimal)}}};\n")
    out.write("\n")
    out.write(sheet("kT96Region2SheetA", t["T96_REGION2_SHEET_A"], single_entries=(7,)))
    out.write(sheet("kT96Region2SheetB", t["T96_REGION2_SHEET_B"]))
    out.write(sheet("kT96Region2SheetC", t["T96_REGION2_SHEET_C"]))
    out.write("}  // namespace cones\n")


if __name__ == "__main__":
    main(sys.argv[1])
