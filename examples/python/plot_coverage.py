#!/usr/bin/env python3
"""Coverage of each species over a run, from a configuration document.

Prints, for every frame, the fraction of the patch's sites that each species holds, and plots
the same as lines against the frame time when matplotlib is installed (otherwise the plot is
skipped and says so). In a notebook, call coverage() and plot() directly.

    PYTHONPATH=python KMCDOC_LIB_DIR=build/bin \
        python3 examples/python/plot_coverage.py examples/square_configurations.xml [coverage.png]
"""
import sys
from collections import Counter

import kmcdoc


def coverage(doc):
    """{species: [fraction of sites per frame]} and the frame times, vacancies left out."""
    cells_u, cells_v = doc.patch
    sites_per_cell = doc.lattice.LatticeSiteList.Count
    vacancy = doc.species.VacancySymbol
    names = [species.Name for species in doc.species]
    total = cells_u * cells_v * sites_per_cell
    times, fractions = [], {name: [] for name in names}
    for frame in doc.configurations:
        held = Counter(frame.Species(i, j, s)
                       for i in range(cells_u) for j in range(cells_v) for s in range(sites_per_cell))
        times.append(frame.FrameTime)
        for name in names:
            fractions[name].append(held[name] / total)
    held_somewhere = {name: series for name, series in fractions.items() if name != vacancy and any(series)}
    return times, held_somewhere


def plot(times, fractions, path=None):
    """Plots the coverage; False when matplotlib is not installed."""
    try:
        import matplotlib

        if path:
            matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return False
    figure, axes = plt.subplots()
    for name, series in fractions.items():
        axes.plot(times, series, marker="o", label=name)
    axes.set_xlabel("time")
    axes.set_ylabel("coverage (fraction of sites)")
    axes.legend()
    if path:
        figure.savefig(path)
    else:
        plt.show()
    return True


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with kmcdoc.open(sys.argv[1]) as doc:
        times, fractions = coverage(doc)
    print("time  " + "  ".join(f"{name:>8}" for name in fractions))
    for index, time in enumerate(times):
        print(f"{time:<5g} " + "  ".join(f"{series[index]:8.4f}" for series in fractions.values()))
    if not plot(times, fractions, sys.argv[2] if len(sys.argv) > 2 else None):
        print("matplotlib is not installed: no plot")
    return 0


if __name__ == "__main__":
    sys.exit(main())
