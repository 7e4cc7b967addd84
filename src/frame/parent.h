// The non-owning link from an object to its host document.
#pragma once

#include <string>

#include "nox/result.h"
#include "vxostrel/document.h"

namespace kmc {

class DocumentLink {
public:
    CKMCDocumentsBase* Document() const { return document_; }

    // For classes whose parent is set once: a second link fails with "Parent is already set
    // for <class>." and keeps the first. A null document does not count as set.
    void LinkOnce(CKMCDocumentsBase* document, const char* className) {
        if (document_ != nullptr)
            throw NoxResult(E_UNEXPECTED, std::string("Parent is already set for ") + className + ".");
        document_ = document;
    }
    void Link(CKMCDocumentsBase* document) { document_ = document; }

private:
    CKMCDocumentsBase* document_ = nullptr;
};

}  // namespace kmc
