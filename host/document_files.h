// What loading and saving any kind of host document shares: the reader and writer over a tree,
// the root element's check, the loading state and what is left unread.
#pragma once

#include <string>

#include "document.h"
#include "nox/comptr.h"
#include "vxostrel/xml.h"

class xmlTree;

namespace kmcdoc {

// The name of the root element of the XML file at `path` (which tells the kind of document).
std::string RootElementName(const std::string& path);

// A reader over `tree` with its root element open. Raised (E_INVALIDARG, naming `origin`): a
// root element other than `root`, whose document is called `kind` for the user, or a version
// other than `version`.
NoxComPtr<IVxXMLToOstrel> OpenDocument(const xmlTree& tree, const std::string& origin, const char* root,
                                       const char* version, const char* kind);
// Whether the current element of `reader` has children that were not read.
bool ElementsRemain(IVxXMLToOstrel* reader);
// Raised: E_INVALIDARG when the root element holds more than was read.
void CheckNothingRemains(IVxXMLToOstrel* reader, const std::string& origin);
// Leaves the root element.
void CloseDocument(IVxXMLToOstrel* reader);

// A writer into `tree` with the root element `root` open, carrying "Version" `version`.
NoxComPtr<IVxOstrelToXML> StartDocument(xmlTree& tree, const char* root, const char* version);
// Leaves the root element.
void FinishDocument(IVxOstrelToXML* writer);

// Holds a document in its loading state for the duration of a load.
class LoadingScope {
public:
    explicit LoadingScope(HostDocument& document) : document_(document) { document_.SetLoading(true); }
    ~LoadingScope() { document_.SetLoading(false); }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    HostDocument& document_;
};

}  // namespace kmcdoc
