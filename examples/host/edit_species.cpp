// A minimal host: loads a processes document, sets a species' radius by name through
// IDispatch (as a script would) and saves the document.
//
//   edit_species IN OUT SPECIES RADIUS
//
// It uses only the installed headers: objects are created through the class registry by
// ProgID and, having no host document, are edited without checks.
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "com/oleauto.h"
#include "nox/comptr.h"
#include "nox/registry.h"
#include "nox/strings.h"
#include "nox/variant.h"
#include "vxostrel/lattice.h"
#include "vxostrel/module.h"
#include "vxostrel/serializer.h"
#include "vxostrel/species.h"
#include "vxostrel/tree.h"
#include "xmltree/xmltree.h"

namespace {

constexpr const char* kRoot = "ProcessesDocument";
constexpr const char* kVersion = "1.0";

template <class Interface>
NoxComPtr<Interface> Create(std::string_view progId) {
    NoxComPtr<Interface> object;
    NoxCreateImpl(progId, nullptr, 0, IidOf<Interface>(), object.PutVoid(), true);
    return object;
}

// The top-level objects of a processes document, in document order.
struct Document {
    NoxComPtr<IVxKMCLattice> lattice = Create<IVxKMCLattice>("VxDocuments.KMCLattice.1");
    NoxComPtr<IVxKMCSpeciesList> species = Create<IVxKMCSpeciesList>("VxDocuments.KMCSpeciesList.1");

    std::vector<NoxComPtr<IVxKMCSerializer>> Serializers() const {
        return {lattice.As<IVxKMCSerializer>(), species.As<IVxKMCSerializer>()};
    }
};

void Load(const Document& document, const std::string& path) {
    const std::unique_ptr<xmlTree> tree = xmlTree::ParseFile(path);
    auto reader = Create<IVxXMLToOstrel>("VxDocuments.XMLToOstrel.1");
    kmc::AttachTree(reader.Get(), tree.get());
    NoxBSTR root, version;
    nox::Check(reader->InitializeLoader(root.Put(), version.Put()));
    if (root.ToTString() != kRoot || version.ToTString() != kVersion)
        throw NoxResult(E_INVALIDARG, path + " is not a processes document of version " + kVersion + ".");
    for (const auto& serializer : document.Serializers()) nox::Check(serializer->LoadFromXML(reader.Get()));
}

void Save(const Document& document, const std::string& path) {
    xmlTree tree;
    auto writer = Create<IVxOstrelToXML>("VxDocuments.OstrelToXML.1");
    kmc::AttachTree(writer.Get(), &tree);
    nox::Check(writer->InitializeSaver(NoxBSTR(kRoot).Get(), NoxBSTR(kVersion).Get()));
    for (const auto& serializer : document.Serializers()) nox::Check(serializer->SaveToXML(writer.Get()));
    tree.SaveFile(path);
}

// Sets property `name` of `object` through IDispatch; a failure is raised with its description.
void PutProperty(IDispatch* object, const char16_t* name, const VARIANT& value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    nox::Check(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    VARIANT argument = value;  // the callee only reads its arguments
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    EXCEPINFO error{};
    const HRESULT hr =
        object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &error, nullptr);
    const NoxResult failure = NoxResult::ExcepInfoDescription(hr, &error);
    for (BSTR text : {error.bstrSource, error.bstrDescription, error.bstrHelpFile}) SysFreeString(text);
    if (FAILED(hr)) throw failure;
}

double Radius(IVxKMCSpecies* species) {
    double radius = 0;
    nox::Check(species->get_Radius(&radius));
    return radius;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: edit_species IN OUT SPECIES RADIUS\n";
        return 2;
    }
    try {
        nox::Check(DllRegisterServer());
        Document document;
        Load(document, argv[1]);
        NoxComPtr<IVxKMCSpecies> species;
        nox::Check(document.species->get_ItemByName(NoxBSTR(argv[3]).Get(), species.Put()));
        if (!species) throw NoxResult(E_INVALIDARG, std::string("No species named ") + argv[3] + ".");
        const double before = Radius(species.Get());
        NoxVariant radius;  // a script's text, which the automation runtime converts
        VARIANT* text = radius.Put();
        text->bstrVal = NoxBSTR(argv[4]).Detach();
        text->vt = VT_BSTR;
        PutProperty(species.As<IDispatch>().Get(), u"Radius", radius.Get());
        std::cout << argv[3] << ": radius " << before << " -> " << Radius(species.Get()) << "\n";
        Save(document, argv[2]);
    } catch (const NoxResult& failure) {
        std::cerr << "edit_species: " << failure.Description() << "\n";
        return 2;
    }
    return 0;
}
