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

std::string ProcessSite::AddressText() const {
    return KMCSiteSpecification::FromInterface(CheckNullDereference(spec_.Get())).AddressText();
}

void ProcessSite::LoadAddress(const std::string& text) const {
    KMCSiteSpecification::FromInterface(CheckNullDereference(spec_.Get()))
        .SetAddress(KMCSiteSpecification::ParseSiteDetails(text));
}

}  // namespace kmc
