"""The automation ABI as ctypes sees it.

The platform's runtime functions (libnox.so), the host library's C entry points
(libkmcdochost.so), the standard structures in their 64-bit layout, and calls through the
vtables of interface pointers. Nothing here knows the document model.
"""

import ctypes
import os
import uuid
from ctypes import (
    POINTER,
    Structure,
    Union,
    byref,
    c_char_p,
    c_double,
    c_float,
    c_int16,
    c_int32,
    c_int64,
    c_size_t,
    c_ubyte,
    c_uint16,
    c_uint32,
    c_uint64,
    c_void_p,
    sizeof,
)
from pathlib import Path

HRESULT = c_int32
BSTR = c_void_p

S_OK = 0
DISP_E_EXCEPTION = 0x80020009 - (1 << 32)
DISPID_PROPERTYPUT = -3
DISPATCH_METHOD = 1
DISPATCH_PROPERTYGET = 2
DISPATCH_PROPERTYPUT = 4

VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8 = 0, 1, 2, 3, 4, 5
VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT, VT_UNKNOWN = 8, 9, 10, 11, 12, 13
VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT = 16, 17, 18, 19, 20, 21, 22, 23
VT_HRESULT, VT_PTR, VT_SAFEARRAY, VT_USERDEFINED = 25, 26, 27, 29
VT_ARRAY, VT_BYREF = 0x2000, 0x4000

PARAMFLAG_FOUT = 0x2
PARAMFLAG_FRETVAL = 0x8
MEMBERID_NIL = -1


class GUID(Structure):
    _fields_ = [("Data1", c_uint32), ("Data2", c_uint16), ("Data3", c_uint16), ("Data4", c_ubyte * 8)]

    @classmethod
    def parse(cls, text):
        return cls.from_buffer_copy(uuid.UUID(text).bytes_le)

    def __str__(self):
        return "{" + str(uuid.UUID(bytes_le=bytes(self))).upper() + "}"


IID_NULL = GUID()
IID_IUnknown = GUID.parse("{00000000-0000-0000-C000-000000000046}")
IID_IDispatch = GUID.parse("{00020400-0000-0000-C000-000000000046}")


class _VariantValue(Union):
    _fields_ = [
        ("llVal", c_int64),
        ("lVal", c_int32),
        ("iVal", c_int16),
        ("bVal", c_ubyte),
        ("fltVal", c_float),
        ("dblVal", c_double),
        ("boolVal", c_int16),
        ("scode", c_int32),
        ("ullVal", c_uint64),
        ("ulVal", c_uint32),
        ("uiVal", c_uint16),
        ("pointer", c_void_p),  # bstrVal, pdispVal, punkVal, parray, byref
        ("record", c_void_p * 2),
    ]


class VARIANT(Structure):
    _fields_ = [
        ("vt", c_uint16),
        ("wReserved1", c_uint16),
        ("wReserved2", c_uint16),
        ("wReserved3", c_uint16),
        ("value", _VariantValue),
    ]


class DISPPARAMS(Structure):
    _fields_ = [
        ("rgvarg", POINTER(VARIANT)),
        ("rgdispidNamedArgs", POINTER(c_int32)),
        ("cArgs", c_uint32),
        ("cNamedArgs", c_uint32),
    ]


class EXCEPINFO(Structure):
    _fields_ = [
        ("wCode", c_uint16),
        ("wReserved", c_uint16),
        ("bstrSource", BSTR),
        ("bstrDescription", BSTR),
        ("bstrHelpFile", BSTR),
        ("dwHelpContext", c_uint32),
        ("pvReserved", c_void_p),
        ("pfnDeferredFillIn", c_void_p),
        ("scode", c_int32),
    ]


class TYPEDESC(Structure):
    pass


class _TypeDescTarget(Union):
    _fields_ = [("lptdesc", POINTER(TYPEDESC)), ("lpadesc", c_void_p), ("hreftype", c_uint32)]


TYPEDESC._fields_ = [("target", _TypeDescTarget), ("vt", c_uint16)]


class PARAMDESC(Structure):
    _fields_ = [("pparamdescex", c_void_p), ("wParamFlags", c_uint16)]


class ELEMDESC(Structure):
    _fields_ = [("tdesc", TYPEDESC), ("paramdesc", PARAMDESC)]


class TYPEATTR(Structure):
    _fields_ = [
        ("guid", GUID),
        ("lcid", c_uint32),
        ("dwReserved", c_uint32),
        ("memidConstructor", c_int32),
        ("memidDestructor", c_int32),
        ("lpstrSchema", c_void_p),
        ("cbSizeInstance", c_uint32),
        ("typekind", c_int32),
        ("cFuncs", c_uint16),
        ("cVars", c_uint16),
        ("cImplTypes", c_uint16),
        ("cbSizeVft", c_uint16),
        ("cbAlignment", c_uint16),
        ("wTypeFlags", c_uint16),
        ("wMajorVerNum", c_uint16),
        ("wMinorVerNum", c_uint16),
        ("tdescAlias", TYPEDESC),
        ("idldescType", PARAMDESC),
    ]


class FUNCDESC(Structure):
    _fields_ = [
        ("memid", c_int32),
        ("lprgscode", c_void_p),
        ("lprgelemdescParam", POINTER(ELEMDESC)),
        ("funckind", c_int32),
        ("invkind", c_int32),
        ("callconv", c_int32),
        ("cParams", c_int16),
        ("cParamsOpt", c_int16),
        ("oVft", c_int16),
        ("cScodes", c_int16),
        ("elemdescFunc", ELEMDESC),
        ("wFuncFlags", c_uint16),
    ]


for _structure, _size in [(VARIANT, 24), (DISPPARAMS, 24), (EXCEPINFO, 64), (TYPEDESC, 16), (ELEMDESC, 32),
                          (TYPEATTR, 96), (FUNCDESC, 88)]:
    assert sizeof(_structure) == _size, _structure


def _library_folder():
    """Where the shared libraries are: KMCDOC_LIB_DIR, else where the install put them."""
    folder = os.environ.get("KMCDOC_LIB_DIR")
    if folder:
        return Path(folder)
    try:
        from ._installed import LIBRARY_DIR
    except ImportError:
        raise ImportError(
            "kmcdoc cannot find its shared libraries: set KMCDOC_LIB_DIR to the folder that holds "
            "libkmcdochost.so (a build tree's bin/), or install the package with cmake --install"
        ) from None
    return (Path(__file__).resolve().parent / LIBRARY_DIR).resolve()


def _load(folder, name):
    path = folder / name
    if not path.is_file():
        raise ImportError(f"kmcdoc cannot find {path} (KMCDOC_LIB_DIR or the installed libraries)")
    return ctypes.CDLL(str(path))


_folder = _library_folder()
# The host library brings the module and the platform in as its dependencies; the two later loads
# hand back the same objects.
host = _load(_folder, "libkmcdochost.so")
platform = _load(_folder, "libnox.so")
module = _load(_folder, "libvxostrel.so")


def _declare(library, name, restype, *argtypes):
    function = getattr(library, name)
    function.restype = restype
    function.argtypes = list(argtypes)
    return function


SysAllocStringByteLen = _declare(platform, "SysAllocStringByteLen", BSTR, c_char_p, c_uint32)
SysFreeString = _declare(platform, "SysFreeString", None, BSTR)
SysStringByteLen = _declare(platform, "SysStringByteLen", c_uint32, BSTR)
VariantClear = _declare(platform, "VariantClear", HRESULT, POINTER(VARIANT))
SafeArrayGetVartype = _declare(platform, "SafeArrayGetVartype", HRESULT, c_void_p, POINTER(c_uint16))
SafeArrayGetLBound = _declare(platform, "SafeArrayGetLBound", HRESULT, c_void_p, c_uint32, POINTER(c_int32))
SafeArrayGetUBound = _declare(platform, "SafeArrayGetUBound", HRESULT, c_void_p, c_uint32, POINTER(c_int32))
SafeArrayAccessData = _declare(platform, "SafeArrayAccessData", HRESULT, c_void_p, POINTER(c_void_p))
SafeArrayUnaccessData = _declare(platform, "SafeArrayUnaccessData", HRESULT, c_void_p)
GetErrorInfo = _declare(platform, "GetErrorInfo", HRESULT, c_uint32, POINTER(c_void_p))
DllCanUnloadNow = _declare(module, "DllCanUnloadNow", HRESULT)

_document = c_void_p
kmcdoc_new = _declare(host, "kmcdoc_new", HRESULT, c_int32, POINTER(_document))
kmcdoc_open_file = _declare(host, "kmcdoc_open_file", HRESULT, c_char_p, c_uint64, POINTER(_document), POINTER(BSTR))
kmcdoc_open_text = _declare(
    host, "kmcdoc_open_text", HRESULT, c_char_p, c_size_t, c_char_p, POINTER(_document), POINTER(BSTR)
)
kmcdoc_close = _declare(host, "kmcdoc_close", None, _document)
kmcdoc_kind = _declare(host, "kmcdoc_kind", HRESULT, _document, POINTER(c_int32))
kmcdoc_object = _declare(host, "kmcdoc_object", HRESULT, _document, c_char_p, POINTER(c_void_p))
kmcdoc_configuration_count = _declare(host, "kmcdoc_configuration_count", HRESULT, _document, POINTER(c_int32))
kmcdoc_configuration = _declare(host, "kmcdoc_configuration", HRESULT, _document, c_int32, POINTER(c_void_p))
kmcdoc_patch = _declare(host, "kmcdoc_patch", HRESULT, _document, POINTER(c_int32), POINTER(c_int32))
kmcdoc_set_lattice = _declare(
    host, "kmcdoc_set_lattice", HRESULT, _document, c_char_p, c_char_p, c_double, c_double, c_double
)
kmcdoc_save_file = _declare(host, "kmcdoc_save_file", HRESULT, _document, c_char_p)
kmcdoc_save_text = _declare(host, "kmcdoc_save_text", HRESULT, _document, POINTER(BSTR))
kmcdoc_modified = _declare(host, "kmcdoc_modified", HRESULT, _document, POINTER(c_int16))
kmcdoc_clear_modified = _declare(host, "kmcdoc_clear_modified", HRESULT, _document)
kmcdoc_warning_count = _declare(host, "kmcdoc_warning_count", HRESULT, _document, POINTER(c_int32))
kmcdoc_warning = _declare(host, "kmcdoc_warning", HRESULT, _document, c_int32, POINTER(BSTR))
kmcdoc_verdicts = _declare(host, "kmcdoc_verdicts", HRESULT, _document, c_int16, POINTER(BSTR))
kmcdoc_describe_result = _declare(host, "kmcdoc_describe_result", HRESULT, HRESULT, POINTER(BSTR), POINTER(BSTR))


# ---- strings


def make_bstr(text):
    data = text.encode("utf-16-le", "surrogatepass")
    made = SysAllocStringByteLen(data, len(data))
    if not made:
        raise MemoryError("no memory for a string of the library")
    return made


def read_bstr(bstr):
    """The text of a BSTR the caller keeps; null is the empty string."""
    if not bstr:
        return ""
    return ctypes.string_at(bstr, SysStringByteLen(bstr)).decode("utf-16-le", "surrogatepass")


def take_bstr(bstr):
    """The text of a BSTR handed over to the caller, which is freed."""
    try:
        return read_bstr(bstr)
    finally:
        SysFreeString(bstr)


def ole_name(text):
    """A NUL-terminated UTF-16 buffer for a name passed in (LPOLESTR)."""
    return ctypes.create_string_buffer(text.encode("utf-16-le", "surrogatepass") + b"\0\0")


# ---- calls through vtables

_prototypes = {}


def vtable_call(pointer, slot, restype, argtypes, *args):
    """Calls slot `slot` of the interface at `pointer` with `this` first, as C++ does."""
    key = (restype, tuple(argtypes))
    prototype = _prototypes.get(key)
    if prototype is None:
        prototype = _prototypes[key] = ctypes.CFUNCTYPE(restype, c_void_p, *argtypes)
    vtable = ctypes.cast(pointer, POINTER(POINTER(c_void_p)))[0]
    return prototype(vtable[slot])(pointer, *args)


def add_ref(pointer):
    return vtable_call(pointer, 1, c_uint32, [])


def release(pointer):
    return vtable_call(pointer, 2, c_uint32, [])


def query_interface(pointer, iid):
    """A new reference to `iid` on the object, or None when it does not offer it."""
    out = c_void_p()
    hr = vtable_call(pointer, 0, HRESULT, [POINTER(GUID), POINTER(c_void_p)], byref(iid), byref(out))
    return out.value if hr >= 0 and out.value else None


def identity(pointer):
    """The object's IUnknown pointer, which tells objects apart."""
    unknown = query_interface(pointer, IID_IUnknown)
    if unknown is None:
        return pointer
    release(unknown)
    return unknown


# ---- result codes and the thread's error information


def result_name_and_text(code):
    name, text = BSTR(), BSTR()
    if kmcdoc_describe_result(code, byref(name), byref(text)) < 0:
        return f"0x{code & 0xFFFFFFFF:08X}", ""
    return take_bstr(name.value), take_bstr(text.value)


def take_error_description():
    """The description the last failure on this thread left, or None; the record is cleared."""
    info = c_void_p()
    if GetErrorInfo(0, byref(info)) != S_OK or not info.value:
        return None
    try:
        text = BSTR()
        hr = vtable_call(info.value, 5, HRESULT, [POINTER(BSTR)], byref(text))  # IErrorInfo::GetDescription
        return take_bstr(text.value) if hr >= 0 else None
    finally:
        release(info.value)


def can_unload():
    """Whether the module holds no objects and no locks (DllCanUnloadNow)."""
    return DllCanUnloadNow() == S_OK
