// Facts about variant types shared by the VARIANT and SAFEARRAY functions.
#pragma once

#include "com/interfaces.h"

namespace nox::detail {

// The size of one value of a base type, as held by reference or as an array element; 0 for a
// type that has no value of its own here (EMPTY, NULL, records and the non-variant types).
constexpr size_t ValueSize(VARTYPE base) {
    switch (base) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
            return 8;
        case VT_BSTR:
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return sizeof(void*);
        case VT_DECIMAL:
            return 16;
        case VT_VARIANT:
            return sizeof(VARIANT);
        default:
            return 0;
    }
}

// Whether `vt` may stand in a VARIANT: a base type up to VT_UINT other than 15, with at most
// the ARRAY and BYREF flags, which EMPTY and NULL never carry.
constexpr bool IsValidVarType(VARTYPE vt) {
    const VARTYPE base = vt & VT_TYPEMASK;
    const VARTYPE flags = vt & ~VT_TYPEMASK;
    if ((flags & ~(VT_ARRAY | VT_BYREF)) != 0) return false;
    if (base > VT_UINT || base == 15) return false;
    return flags == 0 || base > VT_NULL;
}

}  // namespace nox::detail
