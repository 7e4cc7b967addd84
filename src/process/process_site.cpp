#include "process/process_site.h"

#include "lattice/site_specification.h"
#include "nox/result.h"
#include "nox/strings.h"

namespace kmc {

PeriodicTranslation ReadAddress(IVxKMCSiteSpecification* spec) {
    PeriodicTranslation address{};
    nox::Check(CheckNullDereference(spec)->GetSiteDetails(&address.i, &address.j, &address.site));
    return address;
}

// Our own specification gives its text directly; one a host implemented, through automation.
std::string ProcessSite::AddressText() const {
    IVxKMCSiteSpecification* spec = CheckNullDereference(spec_.Get());
    if (const KMCSiteSpecification* own = KMCSiteSpecification::TryFromInterface(spec))
        return own->AddressText();
    NoxBSTR text;
    nox::Check(spec->get_SiteDetailsAsString(text.Put()));
    return text.ToTString();
}

void ProcessSite::LoadAddress(const std::string& text) const {
    KMCSiteSpecification::FromInterface(CheckNullDereference(spec_.Get()))
        .SetAddress(KMCSiteSpecification::ParseSiteDetails(text));
}

}  // namespace kmc
