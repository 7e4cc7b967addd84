// A processes document read from bytes. Whatever loads must save, load back, and save again to
// the same bytes: a file the library accepts is never one it cannot keep.
#include <cstdint>
#include <string>

#include "fault.h"
#include "nox/result.h"
#include "processes_document.h"

using kmcdoc::ProcessesDocument;

namespace {

std::string SaveOrFault(const ProcessesDocument& document, const char* what, const std::string& source) {
    try {
        return document.SaveToString();
    } catch (const NoxResult& failure) {
        kmcfuzz::Fault(what, source, failure.Description());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<ProcessesDocument> loaded;
    try {
        loaded = ProcessesDocument::Parse(input, "input");
    } catch (const NoxResult&) {
        return 0;  // refused with a description, as a bad file should be
    }
    const std::string saved = SaveOrFault(*loaded, "a loaded document does not save", input);
    std::unique_ptr<ProcessesDocument> reloaded;
    try {
        reloaded = ProcessesDocument::Parse(saved, "saved");
    } catch (const NoxResult& failure) {
        kmcfuzz::Fault("a saved document does not load again", saved, failure.Description());
    }
    const std::string again = SaveOrFault(*reloaded, "a reloaded document does not save", saved);
    if (again != saved) kmcfuzz::Fault("saving the reloaded document gives other bytes", saved, again);
    return 0;
}
