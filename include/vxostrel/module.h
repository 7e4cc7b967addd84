// The module's exported entry points.
#pragma once

#include "com/interfaces.h"
#include "xpcom/xpcom.h"

extern "C" {
HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
HRESULT DllCanUnloadNow();
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
nsresult NSGetModule(nsIComponentManager* componentManager, nsIFile* location, nsIModule** out);
const char* ID2MessageString(int id);
}
