// Site-address texts ("( i , j / n )"), as users type them and as holders store them: whatever a
// text says, the address it sets must read back the same way, compare equal to that text, and
// write a canonical text that reads as the same address (and is valid when its site number is).
#include <cstdint>
#include <string>

#include "fault.h"
#include "lattice/site_specification.h"
#include "nox/strings.h"

namespace {

std::string Describe(const PeriodicTranslation& a) {
    return std::to_string(a.i) + " " + std::to_string(a.j) + " " + std::to_string(a.site);
}

void Expect(bool holds, const char* what, const std::string& text, const std::string& detail = {}) {
    if (!holds) kmcfuzz::Fault(what, text, detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const NoxBSTR text(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string seen = text.ToTString();  // invalid UTF-8 reaches the library replaced
    KMCSiteSpecification::IsValidSiteDetailsString(text.Get());
    const PeriodicTranslation parsed = KMCSiteSpecification::ParseSiteDetails(seen);

    NoxComPtr<KMCSiteSpecification> address = KMCSiteSpecification::Create();
    Expect(address->put_SiteDetailsAsString(text.Get()) == S_OK, "setting the text failed", seen);
    PeriodicTranslation stored;
    Expect(address->GetSiteDetails(&stored.i, &stored.j, &stored.site) == S_OK, "reading back failed", seen);
    Expect(stored == parsed, "the address set differs from the text's", seen, Describe(stored));
    VARIANT_BOOL same = VARIANT_FALSE;
    Expect(address->get_IsEquivalent(text.Get(), &same) == S_OK && same == VARIANT_TRUE,
           "the address is not equivalent to its own text", seen);

    NoxBSTR canonical, engine;
    Expect(address->get_SiteDetailsAsString(canonical.Put()) == S_OK, "writing the text failed", seen);
    Expect(address->get_SiteDetailsAsVelkorString(engine.Put()) == S_OK, "writing the engine text failed",
           seen);
    Expect(KMCSiteSpecification::ParseSiteDetails(canonical.ToTString()) == parsed,
           "the canonical text reads as another address", seen, canonical.ToTString());
    if (parsed.site >= 1)
        Expect(KMCSiteSpecification::IsValidSiteDetailsString(canonical.Get()),
               "the canonical text is invalid", seen, canonical.ToTString());
    return 0;
}
