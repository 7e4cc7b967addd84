#!/usr/bin/env python3
"""Builds the CO oxidation model on a square lattice from nothing, saves it, prints its verdicts.

The model is the one in examples/square_lattice.xml: a Pt(100)-like square lattice with top,
bridge and hollow sites; CO, O and Pt; CO adsorbs, desorbs and hops on top sites, O2 adsorbs
dissociatively on neighbouring hollow sites, O hops, and CO and O leave as CO2 when the next top
site is free. (The example file adds the lateral interactions as well.)

    PYTHONPATH=python KMCDOC_LIB_DIR=build/bin python3 examples/python/co_oxidation.py [out.xml]
"""
import sys

import kmcdoc

BLUE, ORANGE, GREEN, PALE_BLUE = 0xFF3366CC, 0xFFE07535, 0xFF60BC87, 0xFF95D2E6

SITES = [("Top", 0.0, 0.0, 1), ("Bridge", 0.5, 0.0, 2), ("Bridge", 0.0, 0.5, 2), ("Hollow", 0.5, 0.5, 3)]
SPECIES = [("CO", "Adsorbate", 1.1, ORANGE), ("O", "Adsorbate", 0.7, GREEN), ("Pt", "Substrate", 1.4, PALE_BLUE)]
TOP, HOLLOW, NEXT_TOP, NEXT_HOLLOW = "( 0 , 0 / 1 )", "( 0 , 0 / 4 )", "( 1 , 0 / 1 )", "( 1 , 0 / 4 )"
# (identifier, type, description, prefactor, activation energy in eV, pressure factor,
#  active sites as (kind, address, source, result), blocking sites as (address, source))
PROCESSES = [
    ("CO_adsorption", "Adsorption", "CO from the gas phase onto a top site", "2e8", "0", "1",
     [("Destination", TOP, "", "CO")], []),
    ("CO_desorption", "Desorption", "CO leaves a top site", "1e15", "1.45", "0",
     [("Source", TOP, "CO", "")], []),
    ("O2_adsorption", "Adsorption", "O2 dissociates onto two neighbouring hollow sites", "1e8", "0", "1",
     [("Destination", HOLLOW, "", "O"), ("Destination", NEXT_HOLLOW, "", "O")], []),
    ("CO_diffusion", "Diffusion", "CO hops to a neighbouring top site", "1e12", "0.4", "0",
     [("Source", TOP, "CO", ""), ("Destination", NEXT_TOP, "", "CO")], []),
    ("O_diffusion", "Diffusion", "O hops to a neighbouring hollow site", "1e12", "0.6", "0",
     [("Source", HOLLOW, "O", ""), ("Destination", NEXT_HOLLOW, "", "O")], []),
    ("CO_oxidation", "Reaction", "CO and a neighbouring O leave as CO2 when the next top site is free",
     "1e13", "0.9", "0", [("Reaction", TOP, "CO", "V"), ("Reaction", HOLLOW, "O", "V")], [(NEXT_TOP, "V")]),
]
SITE_KINDS = {"Source": 0, "Destination": 1, "Reaction": 2}


def signed(argb):
    """A colour as the library's 32-bit signed integers hold it."""
    return argb - (1 << 32) if argb >= 1 << 31 else argb


def add_process(processes, identifier, kind, description, prefactor, energy, pressure, active, blocking):
    process = processes.CreateProcess(kind)
    process.Identifier = identifier
    process.Description = description
    process.SpecificationType = 1  # Arrhenius
    process.Prefactor = prefactor
    process.ActivationEnergy = energy
    process.PressureFactor = pressure
    process.IsAssociative = identifier == "O2_adsorption"
    # A new process comes with the sites its type needs (an adsorption or desorption uses one, or
    # two when associative); the model adds the others.
    for index, (site_kind, address, source, result) in enumerate(active):
        if index < process.NumberActiveSites:
            site = process.ActiveSite(index)
        else:
            site = process.AddActiveSite(SITE_KINDS[site_kind])
        site.SiteSpecification.SiteDetailsAsString = address
        # A source site takes no result and a destination no source: only what is said is set.
        if source:
            site.SourcePattern = source
        if result:
            site.ResultPattern = result
    for address, source in blocking:
        site = process.AddBlockingSite()
        site.SiteSpecification.SiteDetailsAsString = address
        site.SourcePattern = source


def build():
    doc = kmcdoc.new("processes")
    doc.set_lattice("Square", "p 4 m m", 2.77, 2.77, 90)
    sites = doc.lattice.LatticeSiteList
    for site_type, x, y, label in SITES:
        sites.CreateLatticeSite2("Adsorption site", site_type, x, y, signed(BLUE), label)
    for name, category, radius, colour in SPECIES:
        species = doc.species.CreateSpecies(name)
        species.Category = category
        species.Radius = radius
        species.Color = signed(colour)
    for row in PROCESSES:
        add_process(doc.processes, *row)
    return doc


def main():
    doc = build()
    if len(sys.argv) > 1:
        doc.save(sys.argv[1])
    for verdict in doc.verdicts():
        print(f"{verdict.name}: {'valid' if verdict.valid else 'INVALID ' + verdict.message}")
    return 0 if all(v.valid for v in doc.verdicts()) else 1


if __name__ == "__main__":
    sys.exit(main())
