// One-dimensional safe arrays. The descriptor, its element data and a 16-byte hidden header
// (whose last 4 bytes hold the element type, as FADF_HAVEVARTYPE promises) are one block.
#include <cstdlib>
#include <cstring>

#include "com/oleauto.h"
#include "com/vartype.h"

namespace {

constexpr size_t kHiddenSize = 16;

std::byte* BlockOf(SAFEARRAY* array) { return reinterpret_cast<std::byte*>(array) - kHiddenSize; }
void* HiddenVarType(SAFEARRAY* array) { return reinterpret_cast<std::byte*>(array) - sizeof(DWORD); }

USHORT FeaturesOf(VARTYPE vt) {
    switch (vt) {
        case VT_BSTR:
            return FADF_HAVEVARTYPE | FADF_BSTR;
        case VT_UNKNOWN:
            return FADF_HAVEVARTYPE | FADF_UNKNOWN;
        case VT_DISPATCH:
            return FADF_HAVEVARTYPE | FADF_DISPATCH;
        case VT_VARIANT:
            return FADF_HAVEVARTYPE | FADF_VARIANT;
        default:
            return FADF_HAVEVARTYPE;
    }
}

// How the elements own what they hold, which decides how they are copied and freed.
enum class Ownership { kNone, kString, kInterface, kVariant };

Ownership OwnershipOf(const SAFEARRAY& array) {
    if (array.fFeatures & FADF_BSTR) return Ownership::kString;
    if (array.fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) return Ownership::kInterface;
    if (array.fFeatures & FADF_VARIANT) return Ownership::kVariant;
    return Ownership::kNone;
}

// Writes a copy of the element at `from` into `to`, whose old contents are not looked at.
HRESULT CopyElement(Ownership ownership, ULONG size, const void* from, void* to) {
    switch (ownership) {
        case Ownership::kString: {
            BSTR text = *static_cast<const BSTR*>(from);
            BSTR copy =
                text ? SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text))
                     : nullptr;
            if (text && !copy) return E_OUTOFMEMORY;
            *static_cast<BSTR*>(to) = copy;
            return S_OK;
        }
        case Ownership::kInterface: {
            IUnknown* object = *static_cast<IUnknown* const*>(from);
            if (object) object->AddRef();
            *static_cast<IUnknown**>(to) = object;
            return S_OK;
        }
        case Ownership::kVariant: {
            auto* target = static_cast<VARIANT*>(to);
            VariantInit(target);
            return VariantCopy(target, static_cast<const VARIANT*>(from));
        }
        case Ownership::kNone:
            break;
    }
    std::memcpy(to, from, size);
    return S_OK;
}

void ReleaseElement(Ownership ownership, void* element) {
    switch (ownership) {
        case Ownership::kString:
            SysFreeString(*static_cast<BSTR*>(element));
            break;
        case Ownership::kInterface:
            if (auto* object = *static_cast<IUnknown**>(element)) object->Release();
            break;
        case Ownership::kVariant:
            (void)VariantClear(static_cast<VARIANT*>(element));
            break;
        case Ownership::kNone:
            break;
    }
}

std::byte* ElementAt(const SAFEARRAY& array, ULONG index) {
    return static_cast<std::byte*>(array.pvData) + size_t{index} * array.cbElements;
}

// The element count over all dimensions; bounds are stored last dimension first.
size_t ElementCount(const SAFEARRAY& array) {
    size_t count = 1;
    for (USHORT d = 0; d < array.cDims; ++d) count *= array.rgsabound[d].cElements;
    return count;
}

// The position of an element in the data: the first index varies fastest.
HRESULT CellIndex(const SAFEARRAY& array, const LONG* indices, ULONG& cell) {
    size_t position = 0;
    size_t stride = 1;
    for (USHORT i = 0; i < array.cDims; ++i) {
        const SAFEARRAYBOUND& bound = array.rgsabound[array.cDims - 1 - i];
        const int64_t offset = int64_t{indices[i]} - bound.lLbound;
        if (offset < 0 || offset >= int64_t{bound.cElements}) return DISP_E_BADINDEX;
        position += static_cast<size_t>(offset) * stride;
        stride *= bound.cElements;
    }
    cell = static_cast<ULONG>(position);
    return S_OK;
}

HRESULT GetBound(SAFEARRAY* array, UINT dim, const SAFEARRAYBOUND*& bound) {
    if (array == nullptr) return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
    bound = &array->rgsabound[array->cDims - dim];
    return S_OK;
}

}  // namespace

extern "C" {

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count) {
    const size_t elementSize = nox::detail::ValueSize(vt);
    if (elementSize == 0) return nullptr;
    if (count > (SIZE_MAX - kHiddenSize - sizeof(SAFEARRAY)) / elementSize) return nullptr;
    auto* block =
        static_cast<std::byte*>(std::calloc(1, kHiddenSize + sizeof(SAFEARRAY) + count * elementSize));
    if (block == nullptr) return nullptr;
    auto* array = reinterpret_cast<SAFEARRAY*>(block + kHiddenSize);
    array->cDims = 1;
    array->fFeatures = FeaturesOf(vt);
    array->cbElements = static_cast<ULONG>(elementSize);
    array->pvData = array + 1;
    array->rgsabound[0] = {count, lowerBound};
    const DWORD storedType = vt;
    std::memcpy(HiddenVarType(array), &storedType, sizeof storedType);
    return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (array == nullptr) return S_OK;
    if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    const Ownership ownership = OwnershipOf(*array);
    if (ownership != Ownership::kNone)
        for (size_t i = 0, n = ElementCount(*array); i < n; ++i)
            ReleaseElement(ownership, ElementAt(*array, static_cast<ULONG>(i)));
    std::free(BlockOf(array));
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
    if (copy == nullptr) return E_INVALIDARG;
    *copy = nullptr;
    if (array == nullptr) return S_OK;
    VARTYPE vt;
    if (array->cDims != 1 || FAILED(SafeArrayGetVartype(array, &vt))) return E_INVALIDARG;
    SAFEARRAY* result = SafeArrayCreateVector(vt, array->rgsabound[0].lLbound, array->rgsabound[0].cElements);
    if (result == nullptr) return E_OUTOFMEMORY;
    const Ownership ownership = OwnershipOf(*array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
        if (HRESULT hr =
                CopyElement(ownership, array->cbElements, ElementAt(*array, i), ElementAt(*result, i));
            FAILED(hr)) {
            (void)SafeArrayDestroy(result);
            return hr;
        }
    }
    *copy = result;
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    const SAFEARRAYBOUND* found = nullptr;
    if (bound == nullptr) return E_INVALIDARG;
    if (HRESULT hr = GetBound(array, dim, found); FAILED(hr)) return hr;
    *bound = found->lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    const SAFEARRAYBOUND* found = nullptr;
    if (bound == nullptr) return E_INVALIDARG;
    if (HRESULT hr = GetBound(array, dim, found); FAILED(hr)) return hr;
    *bound = static_cast<LONG>(int64_t{found->lLbound} + found->cElements - 1);
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (array == nullptr || data == nullptr) return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    if (array == nullptr) return E_INVALIDARG;
    if (array->cLocks == 0) return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
    if (array == nullptr || indices == nullptr || value == nullptr) return E_INVALIDARG;
    ULONG cell;
    if (HRESULT hr = CellIndex(*array, indices, cell); FAILED(hr)) return hr;
    return CopyElement(OwnershipOf(*array), array->cbElements, ElementAt(*array, cell), value);
}

// `value` is the string or interface pointer itself for arrays of those, otherwise the address
// of the value to store.
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
    if (array == nullptr || indices == nullptr) return E_INVALIDARG;
    const Ownership ownership = OwnershipOf(*array);
    const bool byPointer = ownership == Ownership::kString || ownership == Ownership::kInterface;
    if (value == nullptr && !byPointer) return E_INVALIDARG;
    ULONG cell;
    if (HRESULT hr = CellIndex(*array, indices, cell); FAILED(hr)) return hr;
    std::byte* element = ElementAt(*array, cell);
    if (ownership == Ownership::kNone) return CopyElement(ownership, array->cbElements, value, element);
    // Copy first, so that a failure leaves the element as it was.
    alignas(VARIANT) std::byte fresh[sizeof(VARIANT)];
    if (HRESULT hr = CopyElement(ownership, array->cbElements, byPointer ? &value : value, fresh); FAILED(hr))
        return hr;
    ReleaseElement(ownership, element);
    std::memcpy(element, fresh, array->cbElements);
    return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
    if (array == nullptr || vt == nullptr) return E_INVALIDARG;
    if (array->fFeatures & FADF_HAVEVARTYPE) {
        DWORD stored;
        std::memcpy(&stored, HiddenVarType(array), sizeof stored);
        *vt = static_cast<VARTYPE>(stored);
    } else if (array->fFeatures & FADF_BSTR) {
        *vt = VT_BSTR;
    } else if (array->fFeatures & FADF_UNKNOWN) {
        *vt = VT_UNKNOWN;
    } else if (array->fFeatures & FADF_DISPATCH) {
        *vt = VT_DISPATCH;
    } else if (array->fFeatures & FADF_VARIANT) {
        *vt = VT_VARIANT;
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // extern "C"
