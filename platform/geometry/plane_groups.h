// The catalogue of the 17 two-dimensional plane groups.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/geometry.h"

// Parses a symmetry operator written as a coordinate triplet of the International Tables, such as
// "-y,x-y,z" or "x+1/2,-y+1/2,z": three comma-separated sums of signed terms, each a variable
// (x, y or z, optionally with an integer or fractional coefficient) or a constant (an integer or a
// fraction). Raises NoxResult(E_INVALIDARG, ...) naming the text when it is not such a triplet.
NOX_EXPORT TransformMatrix ParseCoordinateTriplet(std::string_view triplet);

class NOX_EXPORT PlaneGroupDescription {
public:
    // `representatives` are the operators of the (0,0) coset; a centred group adds the same
    // operators shifted by (1/2,1/2).
    PlaneGroupDescription(std::string name, std::string classType,
                          std::vector<TransformMatrix> representatives, bool centred);

    // "p 1", "p 2", "p m", "p g", "c m", "p 2 m m", "p 2 m g", "p 2 g g", "c 2 m m", "p 4", "p 4 m m",
    // "p 4 g m", "p 3", "p 3 m 1", "p 3 1 m", "p 6", "p 6 m m".
    const std::string& Name() const;
    // "Oblique", "Rectangular", "Square" or "Hexagonal".
    const std::string& ClassType() const;
    // The symmetry operators on fractional coordinates, in the order of the International Tables
    // (Vol. A) for the standard setting, operator 0 the identity; hexagonal groups in the
    // 120-degree cell. With `includeCentring` the centred groups list the operators of the
    // (0,0) coset and then those of the (1/2,1/2) coset; without it only the (0,0) coset: the
    // whole group for a primitive group, one representative per point-group operation for a
    // centred one (cm 2 of 4, c2mm 4 of 8).
    std::vector<TransformMatrix> CreateSymmetryGroup(bool includeCentring) const;

private:
    std::string name_;
    std::string classType_;
    std::vector<TransformMatrix> representatives_;
    bool centred_;
};

class NOX_EXPORT PlaneGroupCatalog {
public:
    static const PlaneGroupCatalog& Instance();  // process-wide, built once, thread-safe
    // Exact, case-sensitive lookup; null for an unknown name.
    const PlaneGroupDescription* Find(std::string_view name) const;
    // All 17 in catalogue order (the order of the names above).
    const std::vector<PlaneGroupDescription>& Groups() const;

private:
    PlaneGroupCatalog();

    std::vector<PlaneGroupDescription> groups_;
};
