// The non-owning link from an object to its parent: its host document or its owning list.
#pragma once

#include "nox/result.h"
#include "vxostrel/document.h"

namespace kmc {

// Raises E_UNEXPECTED "Parent is already set for <class>.".
[[noreturn]] void ThrowParentAlreadySet(const char* className);

template <class Parent>
class ParentLink {
public:
    Parent* Get() const { return parent_; }

    // For classes whose parent is set once: a second link fails and keeps the first. A null
    // parent does not count as set.
    void LinkOnce(Parent* parent, const char* className) {
        if (parent_ != nullptr) ThrowParentAlreadySet(className);
        parent_ = parent;
    }
    void Link(Parent* parent) { parent_ = parent; }
    // The parent is going away, or the object leaves it.
    void Unlink() { parent_ = nullptr; }

private:
    Parent* parent_ = nullptr;
};

using DocumentLink = ParentLink<CKMCDocumentsBase>;

}  // namespace kmc
