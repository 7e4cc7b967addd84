#include "process/active_site.h"

#include <array>
#include <tuple>

#include "frame/values.h"
#include "nox/strings.h"
#include "species/species_list.h"
#include "xml/element_io.h"

namespace kmc {

bool operator<(const ActiveSiteKey& a, const ActiveSiteKey& b) {
    return std::tie(a.address.i, a.address.j, a.address.site, a.source, a.result) <
           std::tie(b.address.i, b.address.j, b.address.site, b.source, b.result);
}

namespace {

constexpr std::array<const char*, 3> kTypeTexts = {"Source", "Destination", "Reaction"};

// The key of any active site, read through its interface.
ActiveSiteKey KeyOf(IVxKMCActiveSite& site) {
    NoxComPtr<IVxKMCSiteSpecification> spec;
    nox::Check(site.get_SiteSpecification(spec.Put()));
    NoxBSTR source, result;
    nox::Check(site.get_SourcePattern(source.Put()));
    nox::Check(site.get_ResultPattern(result.Put()));
    return {ReadAddress(spec.Get()), source.ToTString(), result.ToTString()};
}

}  // namespace

void CheckActiveSiteDetails(vxKMCActiveSiteType type, const std::string& sourcePattern,
                            const std::string& resultPattern) {
    if (type == vxKMCActiveSiteTypeSource && !resultPattern.empty())
        throw NoxResult(E_UNEXPECTED, "Result species should not be specified for a source site.");
    if (type == vxKMCActiveSiteTypeDestination && !sourcePattern.empty())
        throw NoxResult(E_UNEXPECTED, "Source pattern should not be specified for a destination site.");
}

const char* ActiveSiteTypeText(vxKMCActiveSiteType type, const char* operation) {
    if (type < 0 || static_cast<size_t>(type) >= kTypeTexts.size())
        throw NoxResult(E_UNEXPECTED, std::string("Input active site type is invalid in ") + operation);
    return kTypeTexts[static_cast<size_t>(type)];
}

}  // namespace kmc

void KMCActiveSite::Define(vxKMCActiveSiteType type, NoxComPtr<IVxKMCSiteSpecification> spec,
                           std::string sourcePattern, std::string resultPattern) {
    (void)kmc::ActiveSiteTypeText(type, "KMCActiveSite::SetSiteDetails");
    type_ = type;
    spec_ = std::move(spec);
    sourcePattern_ = std::move(sourcePattern);
    resultPattern_ = std::move(resultPattern);
    kmc::CheckActiveSiteDetails(type_, sourcePattern_, resultPattern_);
}

HRESULT KMCActiveSite::SetSiteDetails(vxKMCActiveSiteType type, IVxKMCSiteSpecification* spec, BSTR sourcePattern,
                                      BSTR resultPattern) {
    return Boundary([&] {
        Define(type, NoxComPtr<IVxKMCSiteSpecification>(spec), kmc::SavableText(sourcePattern, "source pattern"),
               kmc::SavableText(resultPattern, "result species"));
    });
}

HRESULT KMCActiveSite::get_Type(vxKMCActiveSiteType* type) {
    return Boundary([&] { *kmc::Out(type, "KMCActiveSite::get_Type") = type_; });
}

HRESULT KMCActiveSite::get_SiteSpecification(IVxKMCSiteSpecification** spec) {
    return Boundary([&] { kmc::HandOut(spec_, kmc::Out(spec)); });
}

HRESULT KMCActiveSite::get_SourcePattern(BSTR* pattern) {
    return Boundary([&] { kmc::OutText(pattern, sourcePattern_); });
}

HRESULT KMCActiveSite::put_SourcePattern(BSTR pattern) {
    return Boundary([&] {
        Edit([&] {
            if (type_ == vxKMCActiveSiteTypeDestination)
                throw NoxResult(E_UNEXPECTED, "Source pattern may not be set for a destination site.");
            sourcePattern_ = kmc::SavableText(pattern, "source pattern");
        });
    });
}

HRESULT KMCActiveSite::get_ResultPattern(BSTR* pattern) {
    return Boundary([&] { kmc::OutText(pattern, resultPattern_); });
}

HRESULT KMCActiveSite::put_ResultPattern(BSTR pattern) {
    return Boundary([&] {
        Edit([&] {
            if (type_ == vxKMCActiveSiteTypeSource)
                throw NoxResult(E_UNEXPECTED, "Result species may not be set for a source site.");
            resultPattern_ = kmc::SavableText(pattern, "result species");
        });
    });
}

void KMCActiveSite::HandOutSpecies(const std::string& pattern, IVxKMCSpecies** species) const {
    // A copy made by Transform or Translate has no species list and names no species.
    if (KMCSpeciesList* list = SpeciesList()) nox::Check(list->get_ItemByName(NoxBSTR(pattern).Get(), species));
}

HRESULT KMCActiveSite::get_SourceSpecies(IVxKMCSpecies** species) {
    return Boundary([&] { HandOutSpecies(sourcePattern_, kmc::Out(species)); });
}

HRESULT KMCActiveSite::get_ResultSpecies(IVxKMCSpecies** species) {
    return Boundary([&] { HandOutSpecies(resultPattern_, kmc::Out(species)); });
}

NoxComPtr<KMCActiveSite> KMCActiveSite::CopyAt(NoxComPtr<IVxKMCSiteSpecification> spec) const {
    NoxComPtr<KMCActiveSite> copy = Create();
    copy->Define(type_, std::move(spec), sourcePattern_, resultPattern_);
    return copy;
}

HRESULT KMCActiveSite::Transform(LONG operatorIndex, IVxKMCActiveSite** image) {
    return Boundary([&] {
        kmc::Out(image);
        NoxComPtr<IVxKMCSiteSpecification> spec;
        nox::Check(CheckNullDereference(spec_.Get())->Transform(operatorIndex, spec.Put()));
        kmc::HandOut(CopyAt(std::move(spec)), image);
    });
}

HRESULT KMCActiveSite::Translate(LONG di, LONG dj, IVxKMCActiveSite** translated) {
    return Boundary([&] {
        kmc::Out(translated);
        NoxComPtr<IVxKMCSiteSpecification> spec;
        nox::Check(CheckNullDereference(spec_.Get())->Translate(di, dj, spec.Put()));
        kmc::HandOut(CopyAt(std::move(spec)), translated);
    });
}

HRESULT KMCActiveSite::get_IsEquivalent(IVxKMCActiveSite* other, VARIANT_BOOL* equivalent) {
    return Boundary([&] {
        kmc::Out(equivalent);
        const kmc::ActiveSiteKey mine = Key();
        *equivalent = kmc::AsFlag(mine == kmc::KeyOf(*CheckNullDereference(other)));
    });
}

HRESULT KMCActiveSite::get_IsLessThan(IVxKMCActiveSite* other, VARIANT_BOOL* lessThan) {
    return Boundary([&] {
        kmc::Out(lessThan);
        const kmc::ActiveSiteKey mine = Key();
        *lessThan = kmc::AsFlag(mine < kmc::KeyOf(*CheckNullDereference(other)));
    });
}

HRESULT KMCActiveSite::get_IsUsed(VARIANT_BOOL* used) {
    return Boundary([&] { *kmc::Out(used) = kmc::AsFlag(IsUsed()); });
}

HRESULT KMCActiveSite::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        const char* type = kmc::ActiveSiteTypeText(type_, "KMCActiveSite::SaveToXML");
        const std::string address = AddressText();
        kmc::ElementWriter element(writer, "ActiveSite");
        element.Text("SiteType", type);
        element.Text("SiteDetails", address);
        element.Text("SourcePattern", sourcePattern_);
        element.Text("ResultSpecies", resultPattern_);
        element.Close();
    });
}

HRESULT KMCActiveSite::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, "ActiveSite");
        const std::string typeText = element.Text("SiteType");
        vxKMCActiveSiteType type = type_;
        for (LONG code = 0; code < static_cast<LONG>(kmc::kTypeTexts.size()); ++code)
            if (typeText == kmc::kTypeTexts[static_cast<size_t>(code)]) type = static_cast<vxKMCActiveSiteType>(code);
        const std::string address = element.Text("SiteDetails");
        std::string source = sourcePattern_, result = resultPattern_;
        if (type != vxKMCActiveSiteTypeDestination) source = element.Text("SourcePattern");
        if (type != vxKMCActiveSiteTypeSource) result = element.Text("ResultSpecies");
        element.Close();
        // Stored only once the whole element has been read.
        LoadAddress(address);
        type_ = type;
        sourcePattern_ = std::move(source);
        resultPattern_ = std::move(result);
    });
}
