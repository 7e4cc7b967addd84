// The promise every document kind makes: whatever loads saves, loads back, and saves again to the
// same bytes, so that a file the library accepts is never one it cannot keep.
#pragma once

#include <memory>
#include <string>

#include "fault.h"
#include "nox/result.h"

namespace kmcfuzz {

// The document read from `input`; null when it is refused with a description, as a bad file
// should be.
template <class Document>
std::unique_ptr<Document> LoadedOrNull(const std::string& input) {
    try {
        return Document::Parse(input, "input");
    } catch (const NoxResult&) {
        return nullptr;
    }
}

template <class Document>
std::string SaveOrFault(const Document& document, const char* what, const std::string& source) {
    try {
        return document.SaveToString();
    } catch (const NoxResult& failure) {
        Fault(what, source, failure.Description());
    }
}

template <class Document>
void CheckRoundTrip(const Document& loaded, const std::string& input) {
    const std::string saved = SaveOrFault(loaded, "a loaded document does not save", input);
    std::unique_ptr<Document> reloaded;
    try {
        reloaded = Document::Parse(saved, "saved");
    } catch (const NoxResult& failure) {
        Fault("a saved document does not load again", saved, failure.Description());
    }
    const std::string again = SaveOrFault(*reloaded, "a reloaded document does not save", saved);
    if (again != saved) Fault("saving the reloaded document gives other bytes", saved, again);
}

}  // namespace kmcfuzz
