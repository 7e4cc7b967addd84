#!/usr/bin/env python3
"""Writes square_configurations.xml: a run on the lattice and species of square_lattice.xml.

A 20 x 20 patch of the square lattice's cells (four sites per cell: top, two bridges, hollow)
seen at four frames as CO takes top sites and O takes hollow sites, with the history of the run.
The frames are drawn from a seeded generator, so the file is the same on every run. It is
written in the form the library saves, so that loading and saving it changes nothing.

    python3 examples/square_configurations.py
"""
import random
import re
from pathlib import Path

HERE = Path(__file__).resolve().parent
CELLS = 20
TOP, HOLLOW = 0, 3
SITES_PER_CELL = 4
# (frame time, chance of CO on a top site, chance of O on a hollow site)
FRAMES = [(0.5, 0.1, 0.05), (1.0, 0.25, 0.15), (1.5, 0.4, 0.25)]
ACTIONS = [
    (0.5, [("CO adsorption", 41), ("O2 dissociative adsorption", 10), ("CO2 formation", 0)]),
    (0.5, [("CO adsorption", 63), ("O2 dissociative adsorption", 21), ("CO2 formation", 2)]),
    (0.5, [("CO adsorption", 59), ("O2 dissociative adsorption", 18), ("CO2 formation", 5)]),
]


def number(value):
    """A double as the library writes it: the shortest text that reads back the same."""
    return str(int(value)) if float(value).is_integer() else repr(float(value))


def document_objects():
    """The Lattice and SpeciesList elements of the processes document, as they are written there."""
    text = (HERE / "square_lattice.xml").read_text()
    return re.search(r"\n(  <Lattice .*</SpeciesList>)\n", text, re.S).group(1)


def frame(generator, co_chance, o_chance):
    entries = []
    for _ in range(CELLS * CELLS):
        for site in range(SITES_PER_CELL):
            entry = "V"
            if site == TOP and generator.random() < co_chance:
                entry = "CO"
            elif site == HOLLOW and generator.random() < o_chance:
                entry = "O"
            entries.append(entry)
    return "1 " + " ".join(entries)


def main():
    generator = random.Random(20)
    # The clean surface at time 0, as a one-cell pattern repeated over the patch.
    configurations = [(0, "2 1 1 " + " ".join(["V"] * SITES_PER_CELL))]
    configurations += [(time, frame(generator, co, o)) for time, co, o in FRAMES]
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<ConfigurationDocument Version="1.0" CellsU="{CELLS}" CellsV="{CELLS}">',
        document_objects(),
        f'  <Configurations NumberOfConfigurations="{len(configurations)}">',
    ]
    lines += [f'    <Configuration FrameTime="{number(t)}" Config="{c}"/>' for t, c in configurations]
    lines.append("  </Configurations>")
    total = sum(time for time, _ in ACTIONS)
    lines.append(
        '  <ConfigurationHistory Task="CO oxidation at 500 K" ProcessesDocumentID="square_lattice.xml" '
        f'SimulationTime="{number(total)}" NumberHistoryItems="{len(ACTIONS)}">'
    )
    for time, pairs in ACTIONS:
        lines.append(f'    <ConfigurationHistoryAction SimulationTime="{number(time)}" NumPairs="{len(pairs)}">')
        lines += [f'      <KVPair Key="{key}" Value="{number(value)}"/>' for key, value in pairs]
        lines.append("    </ConfigurationHistoryAction>")
    lines += ["  </ConfigurationHistory>", "</ConfigurationDocument>"]
    (HERE / "square_configurations.xml").write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
