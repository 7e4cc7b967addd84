// KMCActiveSite: a site a process changes. It names a lattice site by its address, the species
// that must be there before the event (the source pattern) and the species there after it (the
// result species). A source site only loses its species, a destination only gains one, a
// reaction site has both. Processes compare their sites through equivalence and a strict order
// on (address, source pattern, result pattern); the type takes no part in either.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "process/process_site.h"
#include "vxostrel/process.h"
#include "vxostrel/serializer.h"

class KMCSpeciesList;

namespace kmc {

// What two active sites are compared by.
struct ActiveSiteKey {
    PeriodicTranslation address;
    std::string source;
    std::string result;

    friend bool operator==(const ActiveSiteKey&, const ActiveSiteKey&) = default;
    friend bool operator<(const ActiveSiteKey& a, const ActiveSiteKey& b);
};

// The keys sorted, each once: two sets of sites are the same when these are equal.
std::vector<ActiveSiteKey> SortedUnique(std::vector<ActiveSiteKey> keys);

// Refuses a source site with a result species and a destination with a source pattern (E_UNEXPECTED).
void CheckActiveSiteDetails(vxKMCActiveSiteType type, const std::string& sourcePattern,
                            const std::string& resultPattern);

// The type's text in documents ("Source", "Destination", "Reaction"). Raised: E_UNEXPECTED for
// a code outside the three, naming `operation`.
const char* ActiveSiteTypeText(vxKMCActiveSiteType type, const char* operation);

}  // namespace kmc

class NOX_EXPORT KMCActiveSite final : public kmc::Component<KMCActiveSite, IVxKMCActiveSite, IVxKMCSerializer>,
                                       public kmc::ProcessSite {
public:
    KMC_COMPONENT_CLASS(KMCActiveSite, "Orvanta KMC Active Site");

    // Raised: E_UNEXPECTED "Parent is already set for KMCActiveSite." once a document is set.
    void SetParent(CKMCDocumentsBase* document, KMCSpeciesList* speciesList) {
        Link(kClassName, document, speciesList);
    }

    vxKMCActiveSiteType Type() const { return type_; }
    const std::string& ResultPattern() const { return resultPattern_; }
    bool IsUsed() const { return !SourcePattern().empty() || !resultPattern_.empty(); }
    // Raised as the address.
    kmc::ActiveSiteKey Key() const { return {Address(), SourcePattern(), resultPattern_}; }
    // Stores the details, then refuses a source site with a result species and a destination with
    // a source pattern (the details stay stored). Raised: E_UNEXPECTED for those two and for a
    // type code outside the three (refused before anything is stored).
    void Define(vxKMCActiveSiteType type, NoxComPtr<IVxKMCSiteSpecification> spec, std::string sourcePattern,
                std::string resultPattern);

    [[nodiscard]] HRESULT SetSiteDetails(vxKMCActiveSiteType type, IVxKMCSiteSpecification* spec,
                                         BSTR sourcePattern, BSTR resultPattern) override;
    [[nodiscard]] HRESULT get_Type(vxKMCActiveSiteType* type) override;
    [[nodiscard]] HRESULT get_SiteSpecification(IVxKMCSiteSpecification** spec) override;
    [[nodiscard]] HRESULT get_SourcePattern(BSTR* pattern) override;
    [[nodiscard]] HRESULT put_SourcePattern(BSTR pattern) override;
    [[nodiscard]] HRESULT get_SourceSpecies(IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT get_ResultPattern(BSTR* pattern) override;
    [[nodiscard]] HRESULT put_ResultPattern(BSTR pattern) override;
    [[nodiscard]] HRESULT get_ResultSpecies(IVxKMCSpecies** species) override;
    [[nodiscard]] HRESULT Transform(LONG operatorIndex, IVxKMCActiveSite** image) override;
    [[nodiscard]] HRESULT Translate(LONG di, LONG dj, IVxKMCActiveSite** translated) override;
    [[nodiscard]] HRESULT get_IsEquivalent(IVxKMCActiveSite* other, VARIANT_BOOL* equivalent) override;
    [[nodiscard]] HRESULT get_IsLessThan(IVxKMCActiveSite* other, VARIANT_BOOL* lessThan) override;
    [[nodiscard]] HRESULT get_IsUsed(VARIANT_BOOL* used) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // A copy of this site at another address, without parents: for comparison only.
    NoxComPtr<KMCActiveSite> CopyAt(NoxComPtr<IVxKMCSiteSpecification> spec) const;
    // The species named `pattern` in the species list; null when there is none or no list.
    void HandOutSpecies(const std::string& pattern, IVxKMCSpecies** species) const;

    vxKMCActiveSiteType type_ = vxKMCActiveSiteTypeReaction;
    std::string resultPattern_;
};
