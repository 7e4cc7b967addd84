// A patch of a model document as extended XYZ, which common atomistic viewers and toolkits read:
// the number of atoms, a comment line with the cell of the patch and the columns, then one line
// per atom with its template's name and its Cartesian coordinates.
//
// The cell is the patch's: countI a, countJ b, and a third vector perpendicular to the surface,
// three layers deep (3 d), which only makes the cell whole: the patch is periodic in the plane
// alone (pbc="T T F"). Numbers are written so that they read back to the same doubles; white
// space inside a name is written as "_", since the columns are separated by it.
#pragma once

#include <string>

#include "model_display.h"

namespace kmcdoc {

// `extra` is appended to the comment line ("Time=0.5").
std::string PatchXyz(const ModelPatch& patch, const std::string& extra = {});

}  // namespace kmcdoc
