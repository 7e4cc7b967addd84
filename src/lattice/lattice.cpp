#include "lattice/lattice.h"

#include <cmath>

#include "frame/values.h"
#include "geometry/plane_groups.h"
#include "lattice/lattice_site_list.h"
#include "nox/strings.h"
#include "xml/element_io.h"
#include "xml/utils.h"

namespace {

constexpr const char* kHexagonal = "Hexagonal";
constexpr double kGeometryTolerance = 0.01;

// The catalogue gives hexagonal groups in the 120-degree cell; the lattice's own cell is the
// 60-degree one. M maps fractional coordinates of the catalogue's cell into the lattice's.
const TransformMatrix kToLatticeCell({1, 0, 0, 0, -1, 1, 0, 0, 0, 0, 1, 0});
const TransformMatrix kFromLatticeCell({1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0});

bool Differs(double a, double b) { return std::abs(a - b) > kGeometryTolerance; }

}  // namespace

HRESULT KMCLattice::FinalConstruct() {
    return Boundary([&] {
        siteList_ = KMCLatticeSiteList::Create();
        siteList_->SetParent(this, Identity());
    });
}

void KMCLattice::FinalRelease() {
    if (siteList_) siteList_->LeaveOwner();
    siteList_.Reset();
}

bool KMCLattice::IsHexagonal() const { return geometry_.latticeType == kHexagonal; }

KMCLattice::Geometry KMCLattice::CheckedGeometry(LONG code, const std::string& latticeType,
                                                 const std::string& symmetryGroup, double u, double v,
                                                 double theta) const {
    if (initialised_) {
        CKMCDocumentsBase* document = ParentDocument();
        if (document == nullptr || !document->IsLoading())
            throw NoxResult(E_UNEXPECTED, "KMCLattice has already been initialised");
    }
    const PlaneGroupDescription* group = PlaneGroupCatalog::Instance().Find(symmetryGroup);
    if (group == nullptr)
        throw NoxResult(E_UNEXPECTED, "Symmetry group specified for the lattice is unknown");
    if (group->ClassType() != latticeType)
        throw NoxResult(E_UNEXPECTED, "Symmetry group specified does not match the lattice type");

    Geometry geometry{code,
                      latticeType,
                      symmetryGroup,
                      kmc::FiniteNumber(u, "lattice length U"),
                      kmc::FiniteNumber(v, "lattice length V"),
                      kmc::FiniteNumber(theta, "lattice angle theta"),
                      group->CreateSymmetryGroup(true)};
    if (latticeType == kHexagonal) {
        for (TransformMatrix& op : geometry.operators) op = kToLatticeCell * op * kFromLatticeCell;
    }
    return geometry;
}

void KMCLattice::Adopt(Geometry geometry) {
    geometry_ = std::move(geometry);
    initialised_ = true;
}

void KMCLattice::SetLattice(LONG code, const std::string& latticeType, const std::string& symmetryGroup,
                            double u, double v, double theta) {
    Adopt(CheckedGeometry(code, latticeType, symmetryGroup, u, v, theta));
}

Point3d KMCLattice::TransformPosition(const Point3d& point, LONG index) const {
    if (index < 0 || static_cast<size_t>(index) >= geometry_.operators.size())
        throw NoxResult(E_UNEXPECTED, "Invalid symmetry index for KMCLattice::TransformPosition");
    return geometry_.operators[static_cast<size_t>(index)].Apply(point);
}

HRESULT KMCLattice::get_LatticeSiteList(IVxKMCLatticeSiteList** list) {
    return Boundary([&] { kmc::HandOut(siteList_, kmc::Out(list)); });
}

HRESULT KMCLattice::get_LatticeType(BSTR* type) {
    return Boundary([&] { kmc::OutText(type, geometry_.latticeType); });
}

HRESULT KMCLattice::get_SymmetryGroup(BSTR* group) {
    return Boundary([&] { kmc::OutText(group, geometry_.symmetryGroup); });
}

HRESULT KMCLattice::get_LengthU(double* u) {
    return Boundary([&] { *kmc::Out(u) = geometry_.u; });
}

HRESULT KMCLattice::get_LengthV(double* v) {
    return Boundary([&] { *kmc::Out(v) = geometry_.v; });
}

HRESULT KMCLattice::get_AngleTheta(double* theta) {
    return Boundary([&] { *kmc::Out(theta) = geometry_.theta; });
}

HRESULT KMCLattice::get_OperatorCount(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(geometry_.operators.size()); });
}

HRESULT KMCLattice::get_CellArea(double* area) {
    return Boundary(
        [&] { *kmc::Out(area) = geometry_.u * geometry_.v * std::sin(geometry_.theta * kRadiansPerDegree); });
}

const char* KMCLattice::GeometryDifference(IVxKMCLattice& other) const {
    NoxBSTR type;
    nox::Check(other.get_LatticeType(type.Put()));
    if (type.ToTString() != geometry_.latticeType) return "Lattices are of different type.";
    NoxBSTR group;
    nox::Check(other.get_SymmetryGroup(group.Put()));
    if (group.ToTString() != geometry_.symmetryGroup) return "Lattices have different symmetry.";
    double u = 0.0, v = 0.0, theta = 0.0;
    nox::Check(other.get_LengthU(&u));
    nox::Check(other.get_LengthV(&v));
    nox::Check(other.get_AngleTheta(&theta));
    if (Differs(u, geometry_.u) || Differs(v, geometry_.v) || Differs(theta, geometry_.theta))
        return "Lattices have different geometries.";
    return nullptr;
}

HRESULT KMCLattice::IsConsistent(IVxKMCLattice* other, VARIANT_BOOL* consistent, BSTR* message) {
    return Boundary([&] {
        kmc::Out(consistent);
        kmc::Out(message);
        if (const char* difference = GeometryDifference(*CheckNullDereference(other))) {
            *message = NoxBSTR(difference).Detach();
            return;
        }
        NoxComPtr<IVxKMCLatticeSiteList> otherSites;
        nox::Check(other->get_LatticeSiteList(otherSites.Put()));
        nox::Check(siteList_->IsConsistent(otherSites.Get(), consistent, message));
    });
}

HRESULT KMCLattice::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, "Lattice");
        element.Text("LatticeType", geometry_.latticeType);
        element.Text("SymmetryGroup", geometry_.symmetryGroup);
        element.Double("LatticeU", geometry_.u);
        element.Double("LatticeV", geometry_.v);
        element.Double("LatticeTheta", geometry_.theta);
        OstrelUtils::SaveXML(siteList_.Get(), writer);
        element.Close();
    });
}

HRESULT KMCLattice::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, "Lattice");
        const std::string type = element.Text("LatticeType");
        const std::string group = element.Text("SymmetryGroup");
        const double u = element.Double("LatticeU");
        const double v = element.Double("LatticeV");
        const double theta = element.Double("LatticeTheta");
        // Loading passes the code 2; the geometry is adopted only once the sites have loaded too.
        Geometry geometry = CheckedGeometry(2, type, group, u, v, theta);
        OstrelUtils::LoadXML(siteList_.Get(), reader);
        element.Close();
        Adopt(std::move(geometry));
    });
}
