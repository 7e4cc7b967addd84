// A document of either kind, told apart by the root element of what it is read from, and how
// the host tells people about a failure.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configuration_document.h"
#include "processes_document.h"

namespace kmcdoc {

// Exactly one of the two is set.
struct AnyDocument {
    std::unique_ptr<ProcessesDocument> processes;
    std::unique_ptr<ConfigurationDocument> configurations;

    const std::vector<std::string>& LoadWarnings() const;
    HostDocument& Document() const;
    void Save(const std::string& path) const;
    std::string SaveToString() const;
    // The top-level object saved as `element`, or null when the document holds none by that name.
    IDispatch* TopLevelObject(std::string_view element) const;
    // The names TopLevelObject answers to, in document order.
    std::vector<std::string_view> TopLevelElements() const;
};

// Reads the file (or the text) once and loads it as the kind its root element names; anything
// other than a configuration document is read as a processes document, which then refuses it.
// Raised as the documents' Load and Parse.
AnyDocument LoadAnyDocument(const std::string& path, size_t maxSize);
AnyDocument ParseAnyDocument(const std::string& text, const std::string& origin);

// The library's description of a failure as kmcdoc tells it to people: running out of memory is
// said plainly. The reader's and the parser's sentences for it say so and name the file or the
// attribute; others (the text of std::bad_alloc) say nothing useful.
std::string_view FailureText(const NoxResult& failure);

}  // namespace kmcdoc
