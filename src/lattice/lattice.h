// KMCLattice: the two-dimensional periodic lattice of a document: its type, plane group, cell
// and symmetry operators, and the site list of its unit cell, which it owns.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "frame/parent.h"
#include "geometry/geometry.h"
#include "vxostrel/lattice.h"
#include "vxostrel/serializer.h"

class KMCLatticeSiteList;
class KMCProcessList;
class KMCInteractionList;

class NOX_EXPORT KMCLattice final : public kmc::Component<KMCLattice, IVxKMCLattice, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCLattice, "Orvanta KMC Lattice");

    // Creates the owned site list and links it to this lattice.
    [[nodiscard]] HRESULT FinalConstruct() override;
    // Unlinks and releases the site list, which a client may still hold.
    void FinalRelease() override;

    // Sets the geometry and the plane group's operators. Allowed once, and again only while the
    // document loads. Raised (E_UNEXPECTED): "KMCLattice has already been initialised",
    // "Symmetry group specified for the lattice is unknown", "Symmetry group specified does not
    // match the lattice type"; on failure nothing changes. `code` is kept for the host.
    void SetLattice(LONG code, const std::string& latticeType, const std::string& symmetryGroup, double u,
                    double v, double theta);
    // May be called again; the host argument is not kept.
    void SetParent(CKMCDocumentsBase* document, IUnknown* host, KMCProcessList* processList,
                   KMCInteractionList* interactionList) {
        parents_.Link(document, processList, interactionList);
    }

    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    KMCProcessList* ProcessList() const { return parents_.Get<KMCProcessList>(); }
    KMCInteractionList* InteractionList() const { return parents_.Get<KMCInteractionList>(); }
    KMCLatticeSiteList* RawLatticeSiteList() const { return siteList_.Get(); }
    const std::string& LatticeType() const { return geometry_.latticeType; }
    bool IsHexagonal() const;
    std::vector<TransformMatrix> SymmetryOperators() const { return geometry_.operators; }
    size_t OperatorCount() const { return geometry_.operators.size(); }
    const TransformMatrix& Operator(size_t index) const { return geometry_.operators[index]; }
    // Applies operator `index`. Raised: E_UNEXPECTED "Invalid symmetry index for
    // KMCLattice::TransformPosition" for an index outside the operators.
    Point3d TransformPosition(const Point3d& point, LONG index) const;

    [[nodiscard]] HRESULT get_LatticeSiteList(IVxKMCLatticeSiteList** list) override;
    [[nodiscard]] HRESULT get_LatticeType(BSTR* type) override;
    [[nodiscard]] HRESULT get_SymmetryGroup(BSTR* group) override;
    [[nodiscard]] HRESULT get_LengthU(double* u) override;
    [[nodiscard]] HRESULT get_LengthV(double* v) override;
    [[nodiscard]] HRESULT get_AngleTheta(double* theta) override;
    [[nodiscard]] HRESULT IsConsistent(IVxKMCLattice* other, VARIANT_BOOL* consistent, BSTR* message) override;
    [[nodiscard]] HRESULT get_OperatorCount(LONG* count) override;
    [[nodiscard]] HRESULT get_CellArea(double* area) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    struct Geometry {
        LONG code = 2;
        std::string latticeType = "Oblique";
        std::string symmetryGroup = "p 1";
        double u = 5.0;
        double v = 5.0;
        double theta = 90.0;
        std::vector<TransformMatrix> operators;
    };

    // The geometry SetLattice would set, with every check made and the operators built.
    Geometry CheckedGeometry(LONG code, const std::string& latticeType, const std::string& symmetryGroup,
                             double u, double v, double theta) const;
    void Adopt(Geometry geometry);
    // The first of the checks that tells the two lattices apart, or null when none does.
    const char* GeometryDifference(IVxKMCLattice& other) const;

    bool initialised_ = false;
    Geometry geometry_;
    NoxComPtr<KMCLatticeSiteList> siteList_;
    kmc::ParentLinks<CKMCDocumentsBase, KMCProcessList, KMCInteractionList> parents_;
};
