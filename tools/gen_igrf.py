#!/usr/bin/env python3
"""Writes the internal-field coefficient tables of the program from the
published coefficient lists, and checks them.

Usage:
  tools/gen_igrf.py           writes geomag/igrf12_coefficients.cpp,
                              geomag/igrf13_coefficients.cpp and
                              geomag/igrf14_coefficients.cpp
  tools/gen_igrf.py --check   reads the three generated files back and
                              checks every value, every degree, the epochs
                              and the recorded SHA-256 against the lists;
                              exit status 1 on any difference

The lists (geomag/tables/):
  igrf12.txt  one row per coefficient: kind (g or h), n, m, the values at the
              24 epochs 1900..2015 and the secular variation 2015-2020,
              truncated at degree 10; the program holds each value as the
              float nearest to the decimal, widened to double.
  igrf13.txt, igrf14.txt  the published IGRF-13 and IGRF-14 lists, unchanged:
              four header lines (the third and fourth name the epochs) and a
              row per coefficient to degree 13, the last column the secular
              variation of the five years after the last epoch; the program
              holds the double of each decimal.
"""
import hashlib
import os
import re
import struct
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
MAX_DEGREE = 13
COUNT = (MAX_DEGREE + 1) * (MAX_DEGREE + 2) // 2


def index(n, m):
    return n * (n + 1) // 2 + m


class Generation:
    def __init__(self, number, single_precision):
        self.number = number
        self.single = single_precision
        self.path = os.path.join(ROOT, "geomag", "tables", f"igrf{number}.txt")
        self.output = os.path.join(ROOT, "geomag", f"igrf{number}_coefficients.cpp")


GENERATIONS = [Generation(12, True), Generation(13, False), Generation(14, False)]


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def held_value(text, single):
    """The double the program holds for a published decimal."""
    value = float(text)
    if single:
        value = struct.unpack("f", struct.pack("f", value))[0]
    return value


def literal(value):
    """A C++ double literal that reads back as exactly `value`."""
    text = repr(float(value))
    if text == "-0.0":
        text = "0.0"
    if "." not in text and "e" not in text and "inf" not in text and "nan" not in text:
        text += ".0"
    return text


def read_list(generation):
    """Epoch years, the values [epoch][index] and the secular variation for
    g and h, and the year the secular variation runs to."""
    epochs = None
    rows = {}
    with open(generation.path) as f:
        for line in f:
            words = line.split()
            if not words or line.startswith("#"):
                continue
            if words[0] == "c/s":
                continue
            if words[0] == "g/h":
                # "g/h n m 1900.0 ... 2025.0 2025-30"
                epochs = [int(float(w)) for w in words[3:-1]]
                span = words[-1].split("-")
                until = int(span[0][:2] + span[1]) if len(span[1]) == 2 else int(span[1])
                continue
            kind, n, m = words[0], int(words[1]), int(words[2])
            if kind not in ("g", "h") or not 1 <= n <= MAX_DEGREE or not 0 <= m <= n or (kind == "h" and m == 0):
                sys.exit(f"{generation.path}: bad row {kind} {n} {m}")
            if (kind, n, m) in rows:
                sys.exit(f"{generation.path}: repeated row {kind} {n} {m}")
            rows[(kind, n, m)] = words[3:]
    if epochs is None:
        # The list of IGRF-12: epochs 1900..2015, secular variation to 2020.
        epochs = list(range(1900, 2016, 5))
        until = 2020
    width = len(epochs) + 1
    for key, values in rows.items():
        if len(values) != width:
            sys.exit(f"{generation.path}: row {key}: expected {width} values, found {len(values)}")
    top = max(n for _, n, _ in rows)
    expected = sum(1 for n in range(1, top + 1) for m in range(n + 1)) + sum(
        1 for n in range(1, top + 1) for m in range(1, n + 1))
    if len(rows) != expected:
        sys.exit(f"{generation.path}: expected {expected} rows to degree {top}, found {len(rows)}")
    steps = {b - a for a, b in zip(epochs, epochs[1:])}
    if steps != {5} or until != epochs[-1] + 5:
        sys.exit(f"{generation.path}: epochs {epochs} and span to {until} are not five-yearly")

    def table(column):
        g = [0.0] * COUNT
        h = [0.0] * COUNT
        for (kind, n, m), values in rows.items():
            (g if kind == "g" else h)[index(n, m)] = held_value(values[column], generation.single)
        return g, h

    tables = [table(e) for e in range(len(epochs))]
    secular = table(len(epochs))
    return epochs, tables, secular, until


def degree_of(g, h):
    degree = 0
    for n in range(1, MAX_DEGREE + 1):
        if any(g[index(n, m)] != 0.0 or h[index(n, m)] != 0.0 for m in range(n + 1)):
            degree = n
    return degree


def values_text(values):
    text = ""
    for i, v in enumerate(values):
        text += ("\n      " if i % 6 == 0 else " ") + literal(v) + ","
    return text


def coefficients_text(g, h, label):
    return (f"    // {label}\n    {{{degree_of(g, h)},\n     {{" + values_text(g) + "},\n     {" +
            values_text(h) + "}},\n")


def generate(generation):
    epochs, tables, secular, until = read_list(generation)
    number = generation.number
    precision = ("each published decimal held as the nearest float, widened to double"
                 if generation.single else "each published decimal held as its double")
    out = []
    out.append(f"// IGRF-{number} Gauss coefficients, generated by tools/gen_igrf.py from\n")
    out.append(f"// geomag/tables/igrf{number}.txt (SHA-256 {sha256(generation.path)}).\n")
    out.append(f"// Do not edit by hand: {precision}.\n\n")
    out.append('#include "geomag/internal_field_coefficients.hpp"\n\nnamespace cones {\nnamespace {\n\n')
    out.append(f"// Epochs {epochs[0]}, {epochs[1]}, ..., {epochs[-1]}: the highest degree, then g(n,m) and\n")
    out.append("// h(n,m) at index n(n+1)/2 + m, nT.\n")
    out.append("constexpr GaussCoefficients kEpochs[] = {\n")
    for year, (g, h) in zip(epochs, tables):
        out.append(coefficients_text(g, h, str(year)))
    out.append("};\n\n")
    out.append(f"// Secular variation {epochs[-1]}-{until}, nT per year.\n")
    out.append("constexpr GaussCoefficients kSecular =\n")
    out.append(coefficients_text(*secular, f"{epochs[-1]}-{until}").rstrip(",\n") + ";\n\n")
    out.append("}  // namespace\n\n")
    out.append(f"extern const InternalFieldCoefficients kIgrf{number}{{{number}, \"IGRF-{number}\", {epochs[0]}, "
               f"{epochs[1] - epochs[0]}, kEpochs, &kSecular, {until}}};\n\n")
    out.append("}  // namespace cones\n")
    return "".join(out)


NUMBER = re.compile(r"-?(?:\d+\.\d*|\d+)(?:e[-+]?\d+)?")


def check(generation):
    """Every value, degree, epoch and the checksum of a generated file against
    its list. Returns a list of differences."""
    problems = []
    epochs, tables, secular, until = read_list(generation)
    with open(generation.output) as f:
        text = f.read()
    if sha256(generation.path) not in text:
        problems.append(f"{generation.output}: the SHA-256 of {generation.path} is not recorded")
    blocks = re.findall(r"// (\d{4}(?:-\d{4})?)\n    \{(\d+),\n     \{([^}]*)\},\n     \{([^}]*)\}\}", text)
    expected = [(str(y), g, h) for y, (g, h) in zip(epochs, tables)] + [(f"{epochs[-1]}-{until}", *secular)]
    if len(blocks) != len(expected):
        return problems + [f"{generation.output}: {len(blocks)} coefficient blocks, expected {len(expected)}"]
    for (label, degree, g_text, h_text), (year, g, h) in zip(blocks, expected):
        if label != year:
            problems.append(f"{generation.output}: block {label}, expected {year}")
        if int(degree) != degree_of(g, h):
            problems.append(f"{generation.output}: {year}: degree {degree}, expected {degree_of(g, h)}")
        for kind, got_text, want in (("g", g_text, g), ("h", h_text, h)):
            got = [float(v) for v in NUMBER.findall(got_text)]
            if len(got) != COUNT:
                problems.append(f"{generation.output}: {year} {kind}: {len(got)} values, expected {COUNT}")
                continue
            for n in range(MAX_DEGREE + 1):
                for m in range(n + 1):
                    i = index(n, m)
                    if got[i] != want[i]:
                        problems.append(f"{generation.output}: {year} {kind}({n},{m}) = {got[i]!r}, "
                                        f"the list holds {want[i]!r}")
    tail = re.search(r"kIgrf(\d+)\{(\d+), \"IGRF-(\d+)\", (\d+), (\d+), kEpochs, &kSecular, (\d+)\}", text)
    want_tail = (generation.number, generation.number, generation.number, epochs[0], 5, until)
    if not tail or tuple(int(v) for v in tail.groups()) != want_tail:
        problems.append(f"{generation.output}: generation record differs from {want_tail}")
    return problems


def main(arguments):
    if arguments == ["--check"]:
        problems = []
        for generation in GENERATIONS:
            problems += check(generation)
        for problem in problems:
            print(problem, file=sys.stderr)
        if problems:
            return 1
        print("every coefficient of IGRF-12, IGRF-13 and IGRF-14 equals its list")
        return 0
    if arguments:
        print(__doc__, file=sys.stderr)
        return 2
    for generation in GENERATIONS:
        with open(generation.output, "w") as f:
            f.write(generate(generation))
        print(f"wrote {os.path.relpath(generation.output, ROOT)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
