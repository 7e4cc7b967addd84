// The module's exported entry points.
#pragma once

#include "com/interfaces.h"
#include "xpcom/xpcom.h"

extern "C" {
[[nodiscard]] HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
[[nodiscard]] HRESULT DllCanUnloadNow();
[[nodiscard]] HRESULT DllRegisterServer();
[[nodiscard]] HRESULT DllUnregisterServer();
[[nodiscard]] nsresult NSGetModule(nsIComponentManager* componentManager, nsIFile* location, nsIModule** out);
const char* ID2MessageString(int id);
}
