// Pictures of a patch of a model document as SVG: a top view of the atoms of the patch over its
// cell outlines, with the lattice vectors, a legend and a scale bar.
//
// The drawing is held in lattice units inside the group with the id "lattice", whose transform
// maps them onto the page (x to the right, y up), so a mark's coordinates are its atom's x and y.
// Every site is one mark of the class "site" and of its kind ("site adsorption" a circle,
// "site substrate" a square, "site label" a diamond), filled in its template's colour and
// carrying its address in data-site ("i j n"); deeper kinds are drawn first.
#pragma once

#include <string>

#include "model_display.h"
#include "process_drawing.h"

namespace kmcdoc {

// The lattice: the sites of the reference cell (0, 0) numbered as the site list numbers them.
std::string LatticeSvg(const ModelPatch& patch, const std::string& title, const std::string& subtitle);

// A process over faint sites: a ring at each of its sites (dashed at an enabling site) with the
// species before and after the event written under it, arrows from each destination's nearest
// source, and each symmetry image faintly.
std::string ProcessSvg(const ModelPatch& patch, const ProcessDrawing& process, const std::string& subtitle);

// A snapshot: every site in its occupant's template colour, no numbers.
std::string SnapshotSvg(const ModelPatch& patch, const std::string& title, const std::string& subtitle);

}  // namespace kmcdoc
