// The display path: a patch of lattice cells shown as atoms of a model document, through the
// library's display helpers (vxostrel/doc_helpers.h). This is the one place where the lattice's
// geometry becomes positions; the pictures and files of kmcdoc render read the atoms back.
//
// Positions are Cartesian, in the lattice's length unit: the cell vectors are a = (u, 0, 0) and
// b = (v cos theta, v sin theta, 0), and site n of cell (i, j) at fractional (x, y) sits at
// (i + x) a + (j + y) b, at the display depth of its kind (0, -d or -2d, d the square root of the
// cell area).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "nox/comptr.h"
#include "vxostrel/doc_helpers.h"
#include "vxostrel/model.h"

class KMCLattice;

namespace kmcdoc {

struct Point {
    double x = 0;
    double y = 0;
};

// Cells (i, j) with firstI <= i < firstI + countI and firstJ <= j < firstJ + countJ.
struct CellRange {
    LONG firstI = 0;
    LONG firstJ = 0;
    LONG countI = 1;
    LONG countJ = 1;
};

// The lattice as the display helpers read it.
struct LatticeLayout {
    double u = 0;
    double v = 0;
    double theta = 0;                        // radians
    std::vector<KMCDocHelpers::Site> sites;  // the unit cell's, in site-list order (site n at n - 1)

    // The point at fractional coordinates (x, y) of the whole lattice.
    Point Cartesian(double x, double y) const;
    // The shortest distance between two different site positions (the cell length when the cell
    // has one site): what keeps marks of neighbouring sites apart.
    double SiteSpacing() const;
};

// Reads the lattice through GetLatticeDetails. Raised: the lattice's failures.
LatticeLayout ReadLayout(IVxKMCLattice& lattice);

// One site of the patch: its address (n counted from 1), its kind and the atom that shows it.
struct PatchSite {
    LONG i = 0;
    LONG j = 0;
    LONG n = 0;
    LONG kind = KMCDocHelpers::kAdsorptionKind;
    NoxComPtr<IVxObject> atom;
};

struct ModelPatch {
    LatticeLayout layout;
    CellRange cells;
    std::vector<PatchSite> sites;  // row by row (j), cell by cell (i), site by site (n)

    // The site of that address, or null outside the patch.
    const PatchSite* Find(LONG i, LONG j, LONG n) const;
};

// Names the template of the atom that shows site n (from 1) of cell (i, j).
using TemplateChooser = std::function<std::string(LONG i, LONG j, LONG n)>;

// Rebuilds the atomistic content of `model` with its events off: clears its atoms, then makes one
// atom below its top object for every site of the cells, at the site's position, with the
// template (defined beforehand) the chooser names. Raised: the model document's refusals.
ModelPatch DisplayPatch(IModelDocumentRoot& model, const LatticeLayout& layout, const CellRange& cells,
                        const TemplateChooser& chooser);

// Defines one template per unit-cell site, named after its type and number ("Top1", "Bridge2"),
// in the site's colour, and returns the names in site order.
std::vector<std::string> DefineSiteTemplates(IModelDocumentRoot& model, KMCLattice& lattice,
                                             const LatticeLayout& layout);

// The radius of a site's mark: a little under a quarter of the site spacing.
double MarkRadius(const LatticeLayout& layout);

// Defines (or redefines) a template of the model document.
void DefineTemplate(IModelDocumentRoot& model, const std::string& name, double radius, LONG color);

// What the model holds for an atom.
struct AtomView {
    double x = 0;
    double y = 0;
    double z = 0;
    std::string name;  // the template's name
    double radius = 0;
    LONG color = 0;  // red in bits 0-7
};
AtomView ViewAtom(IVxObject& atom);

}  // namespace kmcdoc
