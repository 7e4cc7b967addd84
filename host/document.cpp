#include "document.h"

#include "vxostrel/module.h"

namespace kmcdoc {

NoxResult HostDocument::CanEdit() {
    if (readOnly_) return NoxResult(E_ACCESSDENIED, "The document is open read-only and cannot be changed.");
    return NoxResult(S_OK);
}

void RegisterModule() {
    static const HRESULT registered = DllRegisterServer();
    nox::Check(registered);
}

}  // namespace kmcdoc
