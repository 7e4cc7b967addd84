// The host library's C entry points over the documents kmcdoc holds.
#include "vxostrel/host_api.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "any_document.h"
#include "configuration/configuration.h"
#include "frame/component.h"
#include "lattice/lattice.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "verdicts.h"

struct kmcdoc_document {
    kmcdoc::AnyDocument document;
};

namespace {

using kmcdoc::AnyDocument;

// Every entry point runs in the one boundary frame. A failure is recorded with the text kmcdoc
// prints for it, so that a script shows what the command line would.
template <class Body>
HRESULT Entry(Body&& body) noexcept {
    return nox::Boundary(GUID_NULL, IID_NULL, [&] {
        try {
            std::forward<Body>(body)();
        } catch (...) {
            const NoxResult failure = nox::CurrentExceptionAsResult();
            throw NoxResult(failure.Code(), std::string(kmcdoc::FailureText(failure)));
        }
    });
}

AnyDocument& Held(kmcdoc_document* document) { return CheckNullDereference(document)->document; }

kmcdoc::ConfigurationDocument& Configurations(kmcdoc_document* document) {
    AnyDocument& held = Held(document);
    if (!held.configurations)
        throw NoxResult(E_INVALIDARG, "This is a processes document; it has no configurations.");
    return *held.configurations;
}

std::string Text(const char* text, const char* what) {
    if (text == nullptr) throw NoxResult(E_POINTER, std::string("No ") + what + " was given.");
    return text;
}

// Opens a document; a load that stops tells `where` where reading stood.
template <class Load>
void Open(Load&& load, kmcdoc_document** document, BSTR* where) {
    kmc::Out(document);
    if (where != nullptr) *where = nullptr;
    try {
        *document = new kmcdoc_document{std::forward<Load>(load)()};
    } catch (const kmcdoc::LoadFailure& failure) {
        if (where != nullptr) kmc::OutText(where, failure.Where());
        throw;
    }
}

std::string ListOf(const std::vector<std::string_view>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + std::string(names[i]);
    return text;
}

// The names of the codes a client meets, spelled as the constants are.
#define KMC_CODE(code) \
    { code, #code }
constexpr std::pair<HRESULT, const char*> kCodeNames[] = {
    KMC_CODE(S_OK),
    KMC_CODE(S_FALSE),
    KMC_CODE(E_NOTIMPL),
    KMC_CODE(E_NOINTERFACE),
    KMC_CODE(E_POINTER),
    KMC_CODE(E_ABORT),
    KMC_CODE(E_FAIL),
    KMC_CODE(E_ACCESSDENIED),
    KMC_CODE(E_UNEXPECTED),
    KMC_CODE(E_OUTOFMEMORY),
    KMC_CODE(E_INVALIDARG),
    KMC_CODE(CLASS_E_NOAGGREGATION),
    KMC_CODE(CLASS_E_CLASSNOTAVAILABLE),
    KMC_CODE(REGDB_E_CLASSNOTREG),
    KMC_CODE(CO_E_CLASSSTRING),
    KMC_CODE(TYPE_E_ELEMENTNOTFOUND),
    KMC_CODE(TYPE_E_LIBNOTREGISTERED),
    KMC_CODE(DISP_E_UNKNOWNINTERFACE),
    KMC_CODE(DISP_E_MEMBERNOTFOUND),
    KMC_CODE(DISP_E_PARAMNOTFOUND),
    KMC_CODE(DISP_E_TYPEMISMATCH),
    KMC_CODE(DISP_E_UNKNOWNNAME),
    KMC_CODE(DISP_E_NONAMEDARGS),
    KMC_CODE(DISP_E_BADVARTYPE),
    KMC_CODE(DISP_E_EXCEPTION),
    KMC_CODE(DISP_E_OVERFLOW),
    KMC_CODE(DISP_E_BADINDEX),
    KMC_CODE(DISP_E_UNKNOWNLCID),
    KMC_CODE(DISP_E_ARRAYISLOCKED),
    KMC_CODE(DISP_E_BADPARAMCOUNT),
    KMC_CODE(DISP_E_PARAMNOTOPTIONAL),
    KMC_CODE(DISP_E_NOTACOLLECTION),
};
#undef KMC_CODE

std::string CodeName(HRESULT code) {
    for (const auto& [known, name] : kCodeNames)
        if (known == code) return name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(code));
    return hex;
}

}  // namespace

extern "C" {

HRESULT kmcdoc_new(int32_t kind, kmcdoc_document** document) {
    return Entry([&] {
        kmc::Out(document);
        if (kind == KMCDOC_PROCESSES)
            *document = new kmcdoc_document{{std::make_unique<kmcdoc::ProcessesDocument>(), nullptr}};
        else if (kind == KMCDOC_CONFIGURATION)
            *document = new kmcdoc_document{{nullptr, std::make_unique<kmcdoc::ConfigurationDocument>()}};
        else
            throw NoxResult(E_INVALIDARG, "There is no kind of document numbered " + std::to_string(kind) +
                                              "; a processes document is 1, a configuration document 2.");
    });
}

HRESULT kmcdoc_open_file(const char* path, uint64_t maxSize, kmcdoc_document** document, BSTR* where) {
    return Entry([&] {
        const std::string file = Text(path, "file name");
        const size_t limit = maxSize == 0 ? xmlTree::kDefaultMaxFileSize : static_cast<size_t>(maxSize);
        Open([&] { return kmcdoc::LoadAnyDocument(file, limit); }, document, where);
    });
}

HRESULT kmcdoc_open_text(const char* text, size_t length, const char* origin, kmcdoc_document** document,
                         BSTR* where) {
    return Entry([&] {
        if (text == nullptr && length != 0) throw NoxResult(E_POINTER, "No document text was given.");
        const std::string content(text == nullptr ? "" : text, length);
        const std::string name = Text(origin, "origin");
        Open([&] { return kmcdoc::ParseAnyDocument(content, name); }, document, where);
    });
}

void kmcdoc_close(kmcdoc_document* document) { delete document; }

HRESULT kmcdoc_kind(kmcdoc_document* document, int32_t* kind) {
    return Entry(
        [&] { *kmc::Out(kind) = Held(document).processes ? KMCDOC_PROCESSES : KMCDOC_CONFIGURATION; });
}

HRESULT kmcdoc_object(kmcdoc_document* document, const char* element, IDispatch** object) {
    return Entry([&] {
        kmc::Out(object);
        const AnyDocument& held = Held(document);
        const std::string name = Text(element, "element name");
        IDispatch* found = held.TopLevelObject(name);
        if (found == nullptr)
            throw NoxResult(E_INVALIDARG, "This document has no top-level object \"" + name + "\"; it has " +
                                              ListOf(held.TopLevelElements()) + ".");
        kmc::HandOut(found, object);
    });
}

HRESULT kmcdoc_configuration_count(kmcdoc_document* document, LONG* count) {
    return Entry([&] {
        kmc::Out(count);
        *count = static_cast<LONG>(Configurations(document).Configurations().size());
    });
}

HRESULT kmcdoc_configuration(kmcdoc_document* document, LONG index, IDispatch** configuration) {
    return Entry([&] {
        kmc::Out(configuration);
        const auto& all = Configurations(document).Configurations();
        if (index < 0 || static_cast<size_t>(index) >= all.size())
            throw NoxResult(E_INVALIDARG, "There is no configuration " + std::to_string(index) +
                                              "; the document has " + std::to_string(all.size()) +
                                              ", counted from 0.");
        kmc::HandOut(static_cast<IVxKMCConfiguration*>(all[static_cast<size_t>(index)].Get()), configuration);
    });
}

HRESULT kmcdoc_patch(kmcdoc_document* document, LONG* cellsU, LONG* cellsV) {
    return Entry([&] {
        kmc::Out(cellsU);
        kmc::Out(cellsV);
        const kmcdoc::ConfigurationDocument& configurations = Configurations(document);
        *cellsU = configurations.CellsU();
        *cellsV = configurations.CellsV();
    });
}

HRESULT kmcdoc_set_lattice(kmcdoc_document* document, const char* latticeType, const char* symmetryGroup,
                           double lengthU, double lengthV, double angleTheta) {
    return Entry([&] {
        AnyDocument& held = Held(document);
        KMCLattice& lattice = held.processes ? held.processes->Lattice() : held.configurations->Lattice();
        // The code is the one loading passes.
        lattice.SetLattice(2, Text(latticeType, "lattice type"), Text(symmetryGroup, "symmetry group"),
                           lengthU, lengthV, angleTheta);
        held.Document().SetModified(true);
    });
}

HRESULT kmcdoc_save_file(kmcdoc_document* document, const char* path) {
    return Entry([&] { Held(document).Save(Text(path, "file name")); });
}

HRESULT kmcdoc_save_text(kmcdoc_document* document, BSTR* text) {
    return Entry([&] { kmc::OutText(text, Held(document).SaveToString()); });
}

HRESULT kmcdoc_modified(kmcdoc_document* document, VARIANT_BOOL* modified) {
    return Entry([&] { *kmc::Out(modified) = kmc::AsFlag(Held(document).Document().Modified()); });
}

HRESULT kmcdoc_clear_modified(kmcdoc_document* document) {
    return Entry([&] { Held(document).Document().SetModified(false); });
}

HRESULT kmcdoc_warning_count(kmcdoc_document* document, LONG* count) {
    return Entry([&] { *kmc::Out(count) = static_cast<LONG>(Held(document).LoadWarnings().size()); });
}

HRESULT kmcdoc_warning(kmcdoc_document* document, LONG index, BSTR* warning) {
    return Entry([&] {
        kmc::Out(warning);  // cleared before a refusal
        const std::vector<std::string>& warnings = Held(document).LoadWarnings();
        if (index < 0 || static_cast<size_t>(index) >= warnings.size())
            throw NoxResult(E_INVALIDARG, "There is no warning " + std::to_string(index) +
                                              "; the document has " + std::to_string(warnings.size()) +
                                              ", counted from 0.");
        kmc::OutText(warning, warnings[static_cast<size_t>(index)]);
    });
}

HRESULT kmcdoc_verdicts(kmcdoc_document* document, VARIANT_BOOL all, BSTR* json) {
    return Entry([&] {
        kmc::Out(json);  // cleared before a refusal
        const AnyDocument& held = Held(document);
        if (!held.processes)
            throw NoxResult(E_INVALIDARG,
                            "Verdicts are asked of a processes document; this is a configuration document.");
        const std::vector<kmcdoc::Verdict> verdicts = kmcdoc::DocumentVerdicts(*held.processes);
        std::optional<std::vector<kmcdoc::ProcessVerdict>> processes;
        if (all != VARIANT_FALSE) processes = kmcdoc::ProcessVerdicts(*held.processes);
        kmc::OutText(json, kmcdoc::VerdictsJson(verdicts, processes ? &*processes : nullptr));
    });
}

HRESULT kmcdoc_describe_result(HRESULT code, BSTR* name, BSTR* text) {
    return Entry([&] {
        kmc::Out(name);
        kmc::Out(text);
        NoxBSTR madeName(CodeName(code));
        NoxBSTR madeText(NoxResult::StandardText(code));
        *name = madeName.Detach();
        *text = madeText.Detach();
    });
}

}  // extern "C"
