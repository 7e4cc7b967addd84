// The automation runtime functions, exported with C linkage and the standard names,
// signatures and semantics.
#pragma once

#include "com/interfaces.h"

extern "C" {

NOX_EXPORT BSTR SysAllocString(const OLECHAR* text);
NOX_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
NOX_EXPORT BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength);
NOX_EXPORT void SysFreeString(BSTR text);
NOX_EXPORT UINT SysStringLen(BSTR text);
NOX_EXPORT UINT SysStringByteLen(BSTR text);

NOX_EXPORT void VariantInit(VARIANT* v);
NOX_EXPORT HRESULT VariantClear(VARIANT* v);
NOX_EXPORT HRESULT VariantCopy(VARIANT* dst, const VARIANT* src);
NOX_EXPORT HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, USHORT flags, VARTYPE vt);

NOX_EXPORT SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count);
NOX_EXPORT HRESULT SafeArrayDestroy(SAFEARRAY* array);
NOX_EXPORT HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
NOX_EXPORT HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
NOX_EXPORT HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
NOX_EXPORT HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
NOX_EXPORT HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
NOX_EXPORT HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
NOX_EXPORT HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
NOX_EXPORT HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);

NOX_EXPORT HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
NOX_EXPORT HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
NOX_EXPORT HRESULT CreateErrorInfo(ICreateErrorInfo** info);

}  // extern "C"
