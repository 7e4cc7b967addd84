// Geometry types: points, affine transforms of fractional coordinates, and periodic
// translations (cell offsets with a site index).
#pragma once

#include <array>

#include "com/base.h"

// Angles cross interfaces in degrees; the trigonometric functions take radians.
inline constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;

struct NOX_EXPORT Point3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    double Length() const;
    friend Point3d operator+(const Point3d& a, const Point3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
    friend Point3d operator-(const Point3d& a, const Point3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
    friend bool operator==(const Point3d&, const Point3d&) = default;
};

// An affine map x' = R·x + t held as twelve values: each row of the 3×3 linear part R followed
// by that row's translation component (R11 R12 R13 t1 R21 R22 R23 t2 R31 R32 R33 t3).
class NOX_EXPORT TransformMatrix {
public:
    using Values = std::array<double, 12>;

    TransformMatrix();  // the identity
    explicit TransformMatrix(const Values& values) : values_(values) {}

    const Values& GetValues() const { return values_; }
    double Linear(int row, int column) const { return values_[static_cast<size_t>(row * 4 + column)]; }
    double Translation(int row) const { return values_[static_cast<size_t>(row * 4 + 3)]; }

    Point3d Apply(const Point3d& point) const;
    // Raises NoxResult(E_INVALIDARG, ...) for a singular linear part.
    TransformMatrix Inverse() const;
    // The product A·B: applies B first, then A.
    friend NOX_EXPORT TransformMatrix operator*(const TransformMatrix& a, const TransformMatrix& b);
    friend bool operator==(const TransformMatrix&, const TransformMatrix&) = default;
    bool IsIdentity(double tolerance = 1e-12) const;

private:
    Values values_;
};

// A site of the periodic lattice: whole cell offsets i, j and a site index.
struct PeriodicTranslation {
    LONG i = 0;
    LONG j = 0;
    LONG site = 0;
    friend bool operator==(const PeriodicTranslation&, const PeriodicTranslation&) = default;
};
