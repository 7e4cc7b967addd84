#include "typelib/objects.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <optional>
#include <utility>

#include "nox/strings.h"
#include "typelib/internal.h"

namespace nox::typelib::detail {
namespace {

// Answers QueryInterface for the platform's own type information objects only, which is how
// DescriptionOf tells them from foreign ones without trusting a foreign vtable.
constexpr IID kTypeInfoObjectIid = MakeGuid("{A0BC61A2-9287-4EB8-92EA-8EE7BF06FD0D}");

constexpr MEMBERID kMemberIdNil = DISPID_UNKNOWN;

// QueryInterface for an object that offers one interface besides IUnknown.
HRESULT Answer(IUnknown* self, bool offered, void** out) {
    if (out == nullptr) return E_POINTER;
    if (!offered) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    self->AddRef();
    *out = self;
    return S_OK;
}

// The slots this platform does not serve still leave their out pointers defined.
template <class... Out>
HRESULT NotImplemented(Out*... outs) {
    ((outs != nullptr ? void(*outs = {}) : void()), ...);
    return E_NOTIMPL;
}

// The optional outputs of GetDocumentation: descriptions carry names only.
HRESULT Document(std::string_view name, BSTR* nameOut, BSTR* doc, DWORD* helpContext, BSTR* helpFile) {
    return Allocating([&] {
        if (nameOut != nullptr) *nameOut = NoxBSTR(name).Detach();
        if (doc != nullptr) *doc = nullptr;
        if (helpContext != nullptr) *helpContext = 0;
        if (helpFile != nullptr) *helpFile = nullptr;
        return S_OK;
    });
}

// For a property that has both, the get speaks for the DISPID.
const MemberDesc* MemberForNames(const InterfaceDesc& desc, MEMBERID id) {
    const MemberDesc* get = FindMember(desc, id, DISPATCH_PROPERTYGET);
    return get != nullptr ? get : FindMember(desc, id, kAnyKind);
}

// The member's name, then its parameters' names; the value of a put stays unnamed.
std::vector<std::string_view> NamesOf(const MemberDesc& member) {
    std::vector<std::string_view> names{member.name};
    for (const ParamDesc& param : member.params) names.push_back(param.name);
    if (member.kind == MemberKind::PropPut && !member.params.empty()) names.pop_back();
    return names;
}

// The name in the library that `name` matches (interfaces, members, parameters), if any.
std::optional<std::string_view> NameInLibrary(const LibraryDesc& library, std::string_view name) {
    for (const InterfaceDesc* desc : library.interfaces) {
        if (SameName(name, desc->name)) return desc->name;
        for (const MemberDesc& member : desc->members) {
            if (SameName(name, member.name)) return member.name;
            for (const ParamDesc& param : member.params)
                if (SameName(name, param.name)) return param.name;
        }
    }
    return std::nullopt;
}

// Slots before an interface's own members: IUnknown's three, and IDispatch's four more.
constexpr WORD kUnknownSlots = 3;
constexpr WORD kDispatchSlots = 7;

WORD BaseSlots(const InterfaceDesc& desc) { return desc.dual ? kDispatchSlots : kUnknownSlots; }

// A FUNCDESC with its parameters and the types they point at lives in one block, so that
// ReleaseFuncDesc frees it at once. A parameter's type points at most two levels deep (an
// [out] interface: a pointer to a pointer to the interface).
constexpr size_t kPointeesPerParam = 2;

size_t FuncDescBytes(size_t params) {
    return sizeof(FUNCDESC) + params * (sizeof(ELEMDESC) + kPointeesPerParam * sizeof(TYPEDESC));
}

USHORT ParamFlags(ParamDir dir) {
    switch (dir) {
        case ParamDir::In:
            return PARAMFLAG_FIN;
        case ParamDir::Out:
            return PARAMFLAG_FOUT;
        case ParamDir::Retval:
            return PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
    }
    return PARAMFLAG_NONE;
}

// Writes the types of one member's parameters, taking the types they point at from `pool`.
class ParamTypeWriter {
public:
    ParamTypeWriter(const TypeLibObject& library, TYPEDESC* pool) : library_(library), pool_(pool) {}

    void Write(const ParamDesc& param, ELEMDESC& elem) {
        elem.paramdesc.wParamFlags = ParamFlags(param.dir);
        if (param.dir == ParamDir::In) return WriteValue(param, elem.tdesc);
        elem.tdesc.vt = VT_PTR;
        elem.tdesc.lptdesc = Next();
        WriteValue(param, *elem.tdesc.lptdesc);
    }

private:
    // The type of the value itself: interfaces of the library by reference, others (IDispatch,
    // IUnknown) as their automation type; arrays as safe arrays of their element type.
    void WriteValue(const ParamDesc& param, TYPEDESC& desc) {
        if ((param.vt & VT_ARRAY) != 0) {
            desc.vt = VT_SAFEARRAY;
            desc.lptdesc = Next();
            desc.lptdesc->vt = static_cast<VARTYPE>(param.vt & ~VT_ARRAY);
            return;
        }
        const TypeInfoObject* target = param.iid != nullptr ? library_.InfoFor(*param.iid) : nullptr;
        if (target == nullptr) {
            desc.vt = param.vt;
            return;
        }
        desc.vt = VT_PTR;
        desc.lptdesc = Next();
        desc.lptdesc->vt = VT_USERDEFINED;
        desc.lptdesc->hreftype = target->Index();
    }

    TYPEDESC* Next() { return new (pool_++) TYPEDESC{}; }

    const TypeLibObject& library_;
    TYPEDESC* pool_;
};

}  // namespace

// ---- TypeInfoObject

const InterfaceDesc& TypeInfoObject::Description() const { return *library_.Library().interfaces[index_]; }

HRESULT TypeInfoObject::QueryInterface(REFIID iid, void** out) {
    return Answer(this, iid == IID_IUnknown || iid == IID_ITypeInfo || iid == kTypeInfoObjectIid, out);
}
ULONG TypeInfoObject::AddRef() { return library_.AddRef(); }
ULONG TypeInfoObject::Release() { return library_.Release(); }

HRESULT TypeInfoObject::GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) {
    if (names == nullptr || count == nullptr) return E_INVALIDARG;
    *count = 0;
    const MemberDesc* member = MemberForNames(Description(), id);
    if (member == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    return Allocating([&] {
        const std::vector<std::string_view> all = NamesOf(*member);
        std::vector<NoxBSTR> made;
        for (size_t i = 0; i < std::min<size_t>(maxNames, all.size()); ++i) made.emplace_back(all[i]);
        for (size_t i = 0; i < made.size(); ++i) names[i] = made[i].Detach();
        *count = static_cast<UINT>(made.size());
        return S_OK;
    });
}

HRESULT TypeInfoObject::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) {
    return GetIDsOfNamesIn(Description(), names, count, ids);
}

HRESULT TypeInfoObject::Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo, UINT* argErr) {
    return InvokeMember(Description(), instance, id, flags, params, result, excepInfo, argErr);
}

HRESULT TypeInfoObject::GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* helpContext,
                                         BSTR* helpFile) {
    const InterfaceDesc& desc = Description();
    if (id == kMemberIdNil) return Document(desc.name, name, doc, helpContext, helpFile);
    const MemberDesc* member = FindMember(desc, id, kAnyKind);
    if (member == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    return Document(member->name, name, doc, helpContext, helpFile);
}

HRESULT TypeInfoObject::GetContainingTypeLib(ITypeLib** lib, UINT* index) {
    if (lib == nullptr) return E_INVALIDARG;
    library_.AddRef();
    *lib = &library_;
    if (index != nullptr) *index = index_;
    return S_OK;
}

HRESULT TypeInfoObject::GetTypeAttr(TYPEATTR** attr) {
    if (attr == nullptr) return E_INVALIDARG;
    *attr = nullptr;
    return Allocating([&] {
        const InterfaceDesc& desc = Description();
        const LibraryDesc& library = library_.Library();
        auto* made = new TYPEATTR{};
        made->guid = *desc.iid;
        made->memidConstructor = kMemberIdNil;
        made->memidDestructor = kMemberIdNil;
        made->cbSizeInstance = sizeof(void*);
        made->typekind = TKIND_INTERFACE;
        made->cFuncs = static_cast<WORD>(desc.members.size());
        made->cbSizeVft = static_cast<WORD>((BaseSlots(desc) + desc.members.size()) * sizeof(void*));
        made->cbAlignment = alignof(void*);
        if (desc.dual) made->wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
        made->wMajorVerNum = library.major;
        made->wMinorVerNum = library.minor;
        made->tdescAlias.vt = VT_EMPTY;
        *attr = made;
        return S_OK;
    });
}

HRESULT TypeInfoObject::GetFuncDesc(UINT index, FUNCDESC** desc) {
    if (desc == nullptr) return E_INVALIDARG;
    *desc = nullptr;
    const InterfaceDesc& interface = Description();
    if (index >= interface.members.size()) return TYPE_E_ELEMENTNOTFOUND;
    return Allocating([&] {
        const MemberDesc& member = interface.members[index];
        const size_t count = member.params.size();
        std::byte* block = static_cast<std::byte*>(::operator new(FuncDescBytes(count)));
        auto* params = reinterpret_cast<ELEMDESC*>(block + sizeof(FUNCDESC));
        ParamTypeWriter types(library_, reinterpret_cast<TYPEDESC*>(params + count));
        for (size_t p = 0; p < count; ++p) types.Write(member.params[p], *new (params + p) ELEMDESC{});
        auto* made = new (block) FUNCDESC{};
        made->memid = member.dispid;
        made->lprgelemdescParam = count != 0 ? params : nullptr;
        made->funckind = FUNC_PUREVIRTUAL;
        made->invkind = static_cast<INVOKEKIND>(member.kind);
        made->callconv = CC_STDCALL;
        made->cParams = static_cast<SHORT>(count);
        made->oVft = static_cast<SHORT>((BaseSlots(interface) + index) * sizeof(void*));
        made->elemdescFunc.tdesc.vt = VT_HRESULT;
        *desc = made;
        return S_OK;
    });
}

// References name interfaces of the containing library by their position in it.
HRESULT TypeInfoObject::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** out) {
    if (out == nullptr) return E_INVALIDARG;
    return library_.GetTypeInfo(ref, out);
}

void TypeInfoObject::ReleaseTypeAttr(TYPEATTR* attr) { delete attr; }
void TypeInfoObject::ReleaseFuncDesc(FUNCDESC* desc) { ::operator delete(desc); }

HRESULT TypeInfoObject::GetTypeComp(ITypeComp** comp) { return NotImplemented(comp); }
HRESULT TypeInfoObject::GetVarDesc(UINT, VARDESC** desc) { return NotImplemented(desc); }
HRESULT TypeInfoObject::GetRefTypeOfImplType(UINT, HREFTYPE* ref) { return NotImplemented(ref); }
HRESULT TypeInfoObject::GetImplTypeFlags(UINT, INT* flags) { return NotImplemented(flags); }
HRESULT TypeInfoObject::GetDllEntry(MEMBERID, INVOKEKIND, BSTR* dll, BSTR* name, WORD* ordinal) {
    return NotImplemented(dll, name, ordinal);
}
HRESULT TypeInfoObject::AddressOfMember(MEMBERID, INVOKEKIND, void** address) {
    return NotImplemented(address);
}
HRESULT TypeInfoObject::CreateInstance(IUnknown*, REFIID, void** out) { return NotImplemented(out); }
HRESULT TypeInfoObject::GetMops(MEMBERID, BSTR* mops) { return NotImplemented(mops); }
void TypeInfoObject::ReleaseVarDesc(VARDESC*) {}

// ---- TypeLibObject

TypeLibObject::TypeLibObject(LibraryDesc library) : library_(std::move(library)) {
    infos_.reserve(library_.interfaces.size());
    for (UINT i = 0; i < library_.interfaces.size(); ++i)
        infos_.push_back(std::make_unique<TypeInfoObject>(*this, i));
}

NoxComPtr<TypeLibObject> TypeLibObject::Create(LibraryDesc library) {
    return NoxComPtr<TypeLibObject>::Attach(new TypeLibObject(std::move(library)));
}

TypeInfoObject* TypeLibObject::InfoFor(REFIID iid) const {
    for (size_t i = 0; i < infos_.size(); ++i)
        if (*library_.interfaces[i]->iid == iid) return infos_[i].get();
    return nullptr;
}

HRESULT TypeLibObject::QueryInterface(REFIID iid, void** out) {
    return Answer(this, iid == IID_IUnknown || iid == IID_ITypeLib, out);
}
ULONG TypeLibObject::AddRef() { return ++references_; }
ULONG TypeLibObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

UINT TypeLibObject::GetTypeInfoCount() { return static_cast<UINT>(infos_.size()); }

HRESULT TypeLibObject::GetTypeInfo(UINT index, ITypeInfo** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (index >= infos_.size()) return TYPE_E_ELEMENTNOTFOUND;
    infos_[index]->AddRef();
    *out = infos_[index].get();
    return S_OK;
}

HRESULT TypeLibObject::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    TypeInfoObject* info = InfoFor(guid);
    if (info == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    info->AddRef();
    *out = info;
    return S_OK;
}

HRESULT TypeLibObject::GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* helpContext,
                                        BSTR* helpFile) {
    if (index == -1) return Document(library_.name, name, doc, helpContext, helpFile);
    if (index < 0 || static_cast<size_t>(index) >= infos_.size()) return TYPE_E_ELEMENTNOTFOUND;
    return Document(library_.interfaces[static_cast<size_t>(index)]->name, name, doc, helpContext, helpFile);
}

// The caller's text takes on the case the library spells the name with.
HRESULT TypeLibObject::IsName(LPOLESTR name, ULONG, BOOL* found) {
    if (name == nullptr || found == nullptr) return E_INVALIDARG;
    return Allocating([&] {
        const std::optional<std::string_view> match = NameInLibrary(library_, *CallerName(name));
        // Equal but for ASCII case, so the spelling has the caller's length.
        if (match) std::ranges::copy(Utf8ToUtf16(*match), name);
        *found = match.has_value();
        return S_OK;
    });
}

// On entry *found is the room in `infos` and `ids`; interface names report MEMBERID_NIL.
HRESULT TypeLibObject::FindName(LPOLESTR name, ULONG, ITypeInfo** infos, MEMBERID* ids, USHORT* found) {
    if (name == nullptr || infos == nullptr || ids == nullptr || found == nullptr) return E_INVALIDARG;
    return Allocating([&] {
        Collect(*CallerName(name), infos, ids, *found);
        return S_OK;
    });
}

void TypeLibObject::Collect(std::string_view name, ITypeInfo** infos, MEMBERID* ids, USHORT& found) const {
    USHORT count = 0;
    auto report = [&](size_t index, MEMBERID id) {
        if (count == found) return;
        infos_[index]->AddRef();
        infos[count] = infos_[index].get();
        ids[count++] = id;
    };
    for (size_t i = 0; i < infos_.size(); ++i) {
        const InterfaceDesc& desc = *library_.interfaces[i];
        if (SameName(name, desc.name)) report(i, kMemberIdNil);
        if (const MemberDesc* member = FindMemberNamed(desc, name)) report(i, member->dispid);
    }
    found = count;
}

HRESULT TypeLibObject::GetTypeInfoType(UINT, TYPEKIND* kind) { return NotImplemented(kind); }
HRESULT TypeLibObject::GetLibAttr(TLIBATTR** attr) { return NotImplemented(attr); }
HRESULT TypeLibObject::GetTypeComp(ITypeComp** comp) { return NotImplemented(comp); }
void TypeLibObject::ReleaseTLibAttr(TLIBATTR*) {}

}  // namespace nox::typelib::detail

namespace nox::typelib {

const InterfaceDesc* DescriptionOf(ITypeInfo* info) {
    if (info == nullptr) return nullptr;
    NoxComPtr<detail::TypeInfoObject> ours;
    if (FAILED(info->QueryInterface(detail::kTypeInfoObjectIid, ours.PutVoid())) || !ours) return nullptr;
    // The caller's reference keeps the object, and so its description, alive.
    return &ours->Description();
}

}  // namespace nox::typelib
