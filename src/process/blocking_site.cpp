#include "process/blocking_site.h"

#include "frame/values.h"
#include "nox/strings.h"
#include "species/species_list.h"
#include "xml/element_io.h"

void KMCBlockingSite::Define(NoxComPtr<IVxKMCSiteSpecification> spec, std::string sourcePattern) {
    spec_ = std::move(spec);
    sourcePattern_ = std::move(sourcePattern);
}

std::string KMCBlockingSite::Resolved(const std::string& pattern) const {
    KMCSpeciesList* list = SpeciesList();
    if (list == nullptr) return pattern;
    const NoxBSTR text(pattern);
    NoxComPtr<IVxKMCSpecies> species;
    nox::Check(list->get_ItemByName(text.Get(), species.Put()));
    if (species) return pattern;
    NoxBSTR vacancy;
    nox::Check(list->get_VacancySymbol(vacancy.Put()));
    return vacancy.ToTString() == pattern ? pattern : std::string();
}

HRESULT KMCBlockingSite::SetSiteDetails(IVxKMCSiteSpecification* spec, BSTR sourcePattern) {
    return Boundary([&] {
        Define(NoxComPtr<IVxKMCSiteSpecification>(spec), kmc::SavableText(sourcePattern, "enabling species"));
    });
}

HRESULT KMCBlockingSite::get_SiteSpecification(IVxKMCSiteSpecification** spec) {
    return Boundary([&] { kmc::HandOut(spec_, kmc::Out(spec)); });
}

HRESULT KMCBlockingSite::get_SourcePattern(BSTR* pattern) {
    return Boundary([&] { kmc::OutText(pattern, sourcePattern_); });
}

HRESULT KMCBlockingSite::put_SourcePattern(BSTR pattern) {
    return Boundary([&] { Edit([&] { sourcePattern_ = Resolved(kmc::SavableText(pattern, "enabling species")); }); });
}

HRESULT KMCBlockingSite::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        const std::string address = AddressText();
        kmc::ElementWriter element(writer, "BlockingSite");
        element.Text("SiteDetails", address);
        element.Text("SourcePattern", sourcePattern_);
        element.Close();
    });
}

HRESULT KMCBlockingSite::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, "BlockingSite");
        const std::string address = element.Text("SiteDetails");
        std::string pattern = Resolved(element.Text("SourcePattern"));
        element.Close();
        LoadAddress(address);
        sourcePattern_ = std::move(pattern);
    });
}
