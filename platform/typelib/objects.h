// The ITypeLib and ITypeInfo objects over a registered library description.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "nox/comptr.h"
#include "typelib/typelib.h"

namespace nox::typelib::detail {

class TypeLibObject;

// Type information for one interface of a library. It lives inside its library object and
// shares that object's reference count, so that GetContainingTypeLib and GetTypeInfo never
// form a cycle and each interface keeps one identity. Its attributes describe the interface
// itself (TKIND_INTERFACE, flagged dual when it derives from IDispatch) with its own members in
// slot order: the base interfaces are not described (cImplTypes 0), but oVft and cbSizeVft count
// their slots. Interfaces of the same library are referenced by their position in it.
class TypeInfoObject final : public ITypeInfo {
public:
    TypeInfoObject(TypeLibObject& library, UINT index) : library_(library), index_(index) {}
    TypeInfoObject(const TypeInfoObject&) = delete;
    TypeInfoObject& operator=(const TypeInfoObject&) = delete;

    const InterfaceDesc& Description() const;
    // Its position in the library, which is also how type descriptions refer to it.
    UINT Index() const { return index_; }

    [[nodiscard]] HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    [[nodiscard]] HRESULT GetTypeAttr(TYPEATTR** attr) override;
    [[nodiscard]] HRESULT GetTypeComp(ITypeComp** comp) override;
    [[nodiscard]] HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override;
    [[nodiscard]] HRESULT GetVarDesc(UINT index, VARDESC** desc) override;
    [[nodiscard]] HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override;
    [[nodiscard]] HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override;
    [[nodiscard]] HRESULT GetImplTypeFlags(UINT index, INT* flags) override;
    [[nodiscard]] HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override;
    [[nodiscard]] HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excepInfo, UINT* argErr) override;
    [[nodiscard]] HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* helpContext,
                                           BSTR* helpFile) override;
    [[nodiscard]] HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                                      WORD* ordinal) override;
    [[nodiscard]] HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) override;
    [[nodiscard]] HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) override;
    [[nodiscard]] HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    [[nodiscard]] HRESULT GetMops(MEMBERID id, BSTR* mops) override;
    [[nodiscard]] HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) override;
    void ReleaseTypeAttr(TYPEATTR* attr) override;
    void ReleaseFuncDesc(FUNCDESC* desc) override;
    void ReleaseVarDesc(VARDESC* desc) override;

private:
    TypeLibObject& library_;
    UINT index_;
};

class TypeLibObject final : public ITypeLib {
public:
    // The new object carries one reference for the caller. Throws std::bad_alloc.
    static NoxComPtr<TypeLibObject> Create(LibraryDesc library);

    const LibraryDesc& Library() const { return library_; }
    // The type information for `iid`, null when the library does not describe it.
    TypeInfoObject* InfoFor(REFIID iid) const;

    [[nodiscard]] HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    UINT GetTypeInfoCount() override;
    [[nodiscard]] HRESULT GetTypeInfo(UINT index, ITypeInfo** out) override;
    [[nodiscard]] HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) override;
    [[nodiscard]] HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** out) override;
    [[nodiscard]] HRESULT GetLibAttr(TLIBATTR** attr) override;
    [[nodiscard]] HRESULT GetTypeComp(ITypeComp** comp) override;
    [[nodiscard]] HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* helpContext,
                                           BSTR* helpFile) override;
    [[nodiscard]] HRESULT IsName(LPOLESTR name, ULONG hash, BOOL* found) override;
    [[nodiscard]] HRESULT FindName(LPOLESTR name, ULONG hash, ITypeInfo** infos, MEMBERID* ids,
                                   USHORT* found) override;
    void ReleaseTLibAttr(TLIBATTR* attr) override;

private:
    explicit TypeLibObject(LibraryDesc library);
    ~TypeLibObject() = default;
    // FindName's search: up to `found` matches, then `found` = how many there were.
    void Collect(std::string_view name, ITypeInfo** infos, MEMBERID* ids, USHORT& found) const;

    LibraryDesc library_;
    std::vector<std::unique_ptr<TypeInfoObject>> infos_;  // one per interface, in library order
    std::atomic<ULONG> references_{1};
};

}  // namespace nox::typelib::detail
