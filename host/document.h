// The host's document: what the library sees of it (loading state, editability, the modified
// flag) and the objects it creates through the class registry.
#pragma once

#include <string>
#include <string_view>

#include "nox/comptr.h"
#include "nox/registry.h"
#include "vxostrel/document.h"

namespace kmcdoc {

class HostDocument final : public CKMCDocumentsBase {
public:
    bool IsLoading() override { return loading_; }
    void HostReserved() override {}
    NoxResult CanEdit() override;
    void SetEditing(bool) override {}
    void SetModified(bool modified) override { modified_ = modified; }

    void SetLoading(bool loading) { loading_ = loading; }
    // A read-only document refuses every edit with a description that says so.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Modified() const { return modified_; }

private:
    bool loading_ = false;
    bool readOnly_ = false;
    bool modified_ = false;
};

// Makes the module's classes known to the class registry (once per process).
void RegisterModule();

// Creates an object through the class registry by ProgID; a failure is raised as NoxResult.
template <class Interface>
NoxComPtr<Interface> CreateByProgId(std::string_view progId) {
    RegisterModule();
    NoxComPtr<Interface> object;
    (void)NoxCreateImpl(progId, nullptr, 0, IidOf<Interface>(), object.PutVoid(), true);  // raises its failure
    return object;
}

// Creates an object through the class registry and returns the class behind it, for the
// host-facing methods (SetParent, SetLattice, ...) that are not on the automation interface.
template <class Class, class Interface>
NoxComPtr<Class> CreateClassByProgId(std::string_view progId) {
    return NoxComPtr<Class>(&Class::FromInterface(CreateByProgId<Interface>(progId).Get()));
}

}  // namespace kmcdoc
