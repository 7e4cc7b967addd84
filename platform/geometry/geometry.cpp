#include "geometry/geometry.h"

#include <algorithm>
#include <cmath>

#include "nox/result.h"

double Point3d::Length() const { return std::sqrt(x * x + y * y + z * z); }

TransformMatrix::TransformMatrix() : values_{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0} {}

Point3d TransformMatrix::Apply(const Point3d& point) const {
    auto row = [&](int r) {
        return Linear(r, 0) * point.x + Linear(r, 1) * point.y + Linear(r, 2) * point.z + Translation(r);
    };
    return {row(0), row(1), row(2)};
}

namespace {

double Determinant(const TransformMatrix& m) {
    return m.Linear(0, 0) * (m.Linear(1, 1) * m.Linear(2, 2) - m.Linear(1, 2) * m.Linear(2, 1)) -
           m.Linear(0, 1) * (m.Linear(1, 0) * m.Linear(2, 2) - m.Linear(1, 2) * m.Linear(2, 0)) +
           m.Linear(0, 2) * (m.Linear(1, 0) * m.Linear(2, 1) - m.Linear(1, 1) * m.Linear(2, 0));
}

double LargestLinearMagnitude(const TransformMatrix& m) {
    double largest = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(m.Linear(r, c)));
    }
    return largest;
}

// Judged relative to the size of the entries, so that a uniformly scaled map (e.g. a cell
// expressed in tiny or huge units) is not mistaken for a singular one.
bool IsSingular(const TransformMatrix& m, double determinant) {
    const double scale = LargestLinearMagnitude(m);
    return !std::isfinite(determinant) || std::abs(determinant) <= 1e-12 * scale * scale * scale;
}

}  // namespace

TransformMatrix TransformMatrix::Inverse() const {
    const double det = Determinant(*this);
    if (IsSingular(*this, det)) {
        throw NoxResult(E_INVALIDARG, "The transform matrix cannot be inverted: its linear part is singular");
    }
    // Adjugate over the determinant: entry (r, c) of the inverse is the cofactor of (c, r),
    // taken with cyclic indices so that the sign comes out of the index order.
    Values inverse{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int c1 = (c + 1) % 3, c2 = (c + 2) % 3, r1 = (r + 1) % 3, r2 = (r + 2) % 3;
            inverse[static_cast<size_t>(r * 4 + c)] =
                (Linear(c1, r1) * Linear(c2, r2) - Linear(c1, r2) * Linear(c2, r1)) / det;
        }
    }
    // The translation of the inverse is -R⁻¹·t.
    for (int r = 0; r < 3; ++r) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += inverse[static_cast<size_t>(r * 4 + k)] * Translation(k);
        inverse[static_cast<size_t>(r * 4 + 3)] = -sum;
    }
    return TransformMatrix(inverse);
}

TransformMatrix operator*(const TransformMatrix& a, const TransformMatrix& b) {
    TransformMatrix::Values product{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += a.Linear(r, k) * b.Linear(k, c);
            product[static_cast<size_t>(r * 4 + c)] = sum;
        }
        double translation = a.Translation(r);
        for (int k = 0; k < 3; ++k) translation += a.Linear(r, k) * b.Translation(k);
        product[static_cast<size_t>(r * 4 + 3)] = translation;
    }
    return TransformMatrix(product);
}

bool TransformMatrix::IsIdentity(double tolerance) const {
    const TransformMatrix identity;
    for (size_t i = 0; i < values_.size(); ++i) {
        if (!(std::abs(values_[i] - identity.values_[i]) <= tolerance)) return false;
    }
    return true;
}
