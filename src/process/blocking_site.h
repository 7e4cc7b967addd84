// KMCBlockingSite: an enabling site of a process, a lattice site that must hold a given species
// (or be vacant) for the process to happen and that the process leaves as it is. Its pattern is
// always a species of the document, the vacancy symbol, or empty.
#pragma once

#include <string>

#include "frame/component.h"
#include "process/process_site.h"
#include "vxostrel/process.h"
#include "vxostrel/serializer.h"

class KMCSpeciesList;

class NOX_EXPORT KMCBlockingSite final
    : public kmc::Component<KMCBlockingSite, IVxKMCBlockingSite, IVxKMCSerializer>,
      public kmc::ProcessSite {
public:
    KMC_COMPONENT_CLASS(KMCBlockingSite, "Orvanta KMC Blocking Site");

    // Raised: E_UNEXPECTED "Parent is already set for KMCBlockingSite." once a document is set.
    void SetParent(CKMCDocumentsBase* document, KMCSpeciesList* speciesList) {
        Link(kClassName, document, speciesList);
    }
    void Define(NoxComPtr<IVxKMCSiteSpecification> spec, std::string sourcePattern);

    [[nodiscard]] HRESULT SetSiteDetails(IVxKMCSiteSpecification* spec, BSTR sourcePattern) override;
    [[nodiscard]] HRESULT get_SiteSpecification(IVxKMCSiteSpecification** spec) override;
    [[nodiscard]] HRESULT get_SourcePattern(BSTR* pattern) override;
    [[nodiscard]] HRESULT put_SourcePattern(BSTR pattern) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // `pattern` when it names a species of the list or is its vacancy symbol, otherwise empty.
    // Without a species list there is nothing to check it against, and it stays as given.
    std::string Resolved(const std::string& pattern) const;
};
