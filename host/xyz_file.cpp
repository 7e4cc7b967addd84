#include "xyz_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "nox/format.h"

namespace kmcdoc {
namespace {

std::string Vector(Point p, double z = 0) {
    return nox::FormatDouble(p.x) + " " + nox::FormatDouble(p.y) + " " + nox::FormatDouble(z);
}

std::string Column(std::string name) {
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return std::isspace(c) != 0; }, '_');
    return name;
}

}  // namespace

std::string PatchXyz(const ModelPatch& patch, const std::string& extra) {
    const LatticeLayout& layout = patch.layout;
    const double depth = 3 * std::sqrt(layout.u * layout.v * std::sin(layout.theta));
    std::string text = std::to_string(patch.sites.size()) + "\nLattice=\"" +
                       Vector(layout.Cartesian(patch.cells.countI, 0)) + " " +
                       Vector(layout.Cartesian(0, patch.cells.countJ)) + " " + Vector({0, 0}, depth) +
                       "\" Properties=species:S:1:pos:R:3 pbc=\"T T F\"" +
                       (extra.empty() ? "" : " " + extra) + "\n";
    for (const PatchSite& site : patch.sites) {
        const AtomView atom = ViewAtom(*site.atom);
        text += Column(atom.name) + " " + Vector({atom.x, atom.y}, atom.z) + "\n";
    }
    return text;
}

}  // namespace kmcdoc
