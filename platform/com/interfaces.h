// The standard component interfaces and automation data structures, in their ABI layout.
// Interfaces are abstract structs with virtual functions in slot order, no virtual
// destructor, single inheritance from IUnknown or IDispatch.
#pragma once

#include "com/base.h"

struct IDispatch;
struct ITypeInfo;
struct ITypeLib;
struct IRecordInfo;
struct SAFEARRAY;

struct CY {
    LONGLONG int64;
};

// A record held by a VARIANT: the data and the interface that knows its layout. Declared outside
// the VARIANT because a type declared inside an anonymous union is not standard C++.
struct BRECORD {
    void* pvRecord;
    IRecordInfo* pRecInfo;
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        struct IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        struct IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        char* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        BRECORD record;
    };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 24);
static_assert(offsetof(VARIANT, lVal) == 8);

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_USERDEFINED = 29,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// VariantChangeType flags.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x1;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x2;

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};
static_assert(sizeof(SAFEARRAY) == 32);
static_assert(offsetof(SAFEARRAY, pvData) == 16);

inline constexpr USHORT FADF_AUTO = 0x1;
inline constexpr USHORT FADF_STATIC = 0x2;
inline constexpr USHORT FADF_EMBEDDED = 0x4;
inline constexpr USHORT FADF_FIXEDSIZE = 0x10;
inline constexpr USHORT FADF_RECORD = 0x20;
inline constexpr USHORT FADF_HAVEIID = 0x40;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x80;
inline constexpr USHORT FADF_BSTR = 0x100;
inline constexpr USHORT FADF_UNKNOWN = 0x200;
inline constexpr USHORT FADF_DISPATCH = 0x400;
inline constexpr USHORT FADF_VARIANT = 0x800;

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};
static_assert(sizeof(EXCEPINFO) == 64);
static_assert(offsetof(EXCEPINFO, scode) == 56);

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};
static_assert(sizeof(DISPPARAMS) == 24);

struct IUnknown {
    [[nodiscard]] virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
    [[nodiscard]] virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
    [[nodiscard]] virtual HRESULT LockServer(BOOL lock) = 0;
};

struct IDispatch : IUnknown {
    [[nodiscard]] virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) = 0;
    [[nodiscard]] virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                                DISPID* ids) = 0;
    [[nodiscard]] virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};

using HREFTYPE = DWORD;
using INVOKEKIND = INT;
using TYPEKIND = INT;
using FUNCKIND = INT;
using CALLCONV = INT;

// The type of a parameter or a result: `vt`, and for VT_PTR and VT_SAFEARRAY the type pointed at
// or held (`lptdesc`), for VT_USERDEFINED the reference GetRefTypeInfo resolves (`hreftype`).
struct ARRAYDESC;
struct TYPEDESC {
    union {
        TYPEDESC* lptdesc;
        ARRAYDESC* lpadesc;
        HREFTYPE hreftype;
    };
    VARTYPE vt;
};
static_assert(sizeof(TYPEDESC) == 16);

struct PARAMDESCEX;
struct PARAMDESC {
    PARAMDESCEX* pparamdescex;
    USHORT wParamFlags;
};
struct IDLDESC {
    ULONGLONG dwReserved;
    USHORT wIDLFlags;
};
struct ELEMDESC {
    TYPEDESC tdesc;
    union {
        IDLDESC idldesc;
        PARAMDESC paramdesc;
    };
};
static_assert(sizeof(ELEMDESC) == 32);

struct TYPEATTR {
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;
    IDLDESC idldescType;
};
static_assert(sizeof(TYPEATTR) == 96);
static_assert(offsetof(TYPEATTR, cFuncs) == 48);

struct FUNCDESC {
    MEMBERID memid;
    SCODE* lprgscode;
    ELEMDESC* lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    SHORT cParams;
    SHORT cParamsOpt;
    SHORT oVft;
    SHORT cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};
static_assert(sizeof(FUNCDESC) == 88);
static_assert(offsetof(FUNCDESC, elemdescFunc) == 48);

inline constexpr TYPEKIND TKIND_INTERFACE = 3;
inline constexpr TYPEKIND TKIND_DISPATCH = 4;
inline constexpr FUNCKIND FUNC_PUREVIRTUAL = 1;
inline constexpr INVOKEKIND INVOKE_FUNC = 1;
inline constexpr INVOKEKIND INVOKE_PROPERTYGET = 2;
inline constexpr INVOKEKIND INVOKE_PROPERTYPUT = 4;
inline constexpr CALLCONV CC_STDCALL = 4;
inline constexpr USHORT PARAMFLAG_NONE = 0x0;
inline constexpr USHORT PARAMFLAG_FIN = 0x1;
inline constexpr USHORT PARAMFLAG_FOUT = 0x2;
inline constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
inline constexpr WORD TYPEFLAG_FDUAL = 0x40;
inline constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
inline constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;

// Type description records that this platform does not hand out; their slots keep the
// interface layout and answer E_NOTIMPL.
struct VARDESC;
struct TLIBATTR;
struct ITypeComp;

struct ITypeInfo : IUnknown {
    [[nodiscard]] virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
    [[nodiscard]] virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
    [[nodiscard]] virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) = 0;
    [[nodiscard]] virtual HRESULT GetVarDesc(UINT index, VARDESC** desc) = 0;
    [[nodiscard]] virtual HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) = 0;
    [[nodiscard]] virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) = 0;
    [[nodiscard]] virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) = 0;
    [[nodiscard]] virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
    [[nodiscard]] virtual HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
    [[nodiscard]] virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* helpContext,
                                                   BSTR* helpFile) = 0;
    [[nodiscard]] virtual HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                                              WORD* ordinal) = 0;
    [[nodiscard]] virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) = 0;
    [[nodiscard]] virtual HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) = 0;
    [[nodiscard]] virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
    [[nodiscard]] virtual HRESULT GetMops(MEMBERID id, BSTR* mops) = 0;
    [[nodiscard]] virtual HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) = 0;
    virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
    virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
    virtual void ReleaseVarDesc(VARDESC* desc) = 0;
};

struct ITypeLib : IUnknown {
    virtual UINT GetTypeInfoCount() = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** out) = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** out) = 0;
    [[nodiscard]] virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
    [[nodiscard]] virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
    [[nodiscard]] virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* helpContext,
                                                   BSTR* helpFile) = 0;
    [[nodiscard]] virtual HRESULT IsName(LPOLESTR name, ULONG hash, BOOL* found) = 0;
    [[nodiscard]] virtual HRESULT FindName(LPOLESTR name, ULONG hash, ITypeInfo** infos, MEMBERID* ids,
                                           USHORT* found) = 0;
    virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;
};

struct IErrorInfo : IUnknown {
    [[nodiscard]] virtual HRESULT GetGUID(GUID* guid) = 0;
    [[nodiscard]] virtual HRESULT GetSource(BSTR* source) = 0;
    [[nodiscard]] virtual HRESULT GetDescription(BSTR* description) = 0;
    [[nodiscard]] virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
    [[nodiscard]] virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
    [[nodiscard]] virtual HRESULT SetGUID(REFGUID guid) = 0;
    [[nodiscard]] virtual HRESULT SetSource(LPOLESTR source) = 0;
    [[nodiscard]] virtual HRESULT SetDescription(LPOLESTR description) = 0;
    [[nodiscard]] virtual HRESULT SetHelpFile(LPOLESTR helpFile) = 0;
    [[nodiscard]] virtual HRESULT SetHelpContext(DWORD helpContext) = 0;
};

struct ISupportErrorInfo : IUnknown {
    [[nodiscard]] virtual HRESULT InterfaceSupportsErrorInfo(REFIID iid) = 0;
};

NOX_INTERFACE_TRAITS(IUnknown);
NOX_INTERFACE_TRAITS(IDispatch);
NOX_INTERFACE_TRAITS(IClassFactory);
NOX_INTERFACE_TRAITS(ITypeInfo);
NOX_INTERFACE_TRAITS(ITypeLib);
NOX_INTERFACE_TRAITS(IErrorInfo);
NOX_INTERFACE_TRAITS(ICreateErrorInfo);
NOX_INTERFACE_TRAITS(ISupportErrorInfo);
