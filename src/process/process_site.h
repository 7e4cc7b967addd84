// What active and enabling (blocking) sites of a process share: the address of the lattice site
// they stand on, the species they require there, and their links to the document and to the
// species list that resolves species names.
#pragma once

#include <string>

#include "frame/parent.h"
#include "geometry/geometry.h"
#include "nox/comptr.h"
#include "vxostrel/lattice.h"

class KMCSpeciesList;

namespace kmc {

// The address (i, j and the site number in `site`) of a site specification. Raised: the
// frame's null-reference failure for a missing specification, and its own failures.
PeriodicTranslation ReadAddress(IVxKMCSiteSpecification* spec);

class ProcessSite {
public:
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    KMCSpeciesList* SpeciesList() const { return parents_.Get<KMCSpeciesList>(); }
    // Called by the process when the site leaves it.
    void LeaveOwner() { parents_.Unlink(); }

    IVxKMCSiteSpecification* Specification() const { return spec_.Get(); }
    const std::string& SourcePattern() const { return sourcePattern_; }
    // Raised as ReadAddress.
    PeriodicTranslation Address() const { return ReadAddress(spec_.Get()); }
    // The address in its text form, "( i , j / n )".
    std::string AddressText() const;
    // Sets the address of the site's own specification without asking or telling the document
    // (loading). Raised: E_INVALIDARG when the specification is not one of this library's.
    void LoadAddress(const std::string& text) const;

protected:
    void Link(const char* className, CKMCDocumentsBase* document, KMCSpeciesList* speciesList) {
        parents_.LinkOnce(className, document, speciesList);
    }

    NoxComPtr<IVxKMCSiteSpecification> spec_;
    std::string sourcePattern_;

private:
    ParentLinks<CKMCDocumentsBase, KMCSpeciesList> parents_;
};

}  // namespace kmc
