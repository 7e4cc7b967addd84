// IDispatch::Invoke (and GetIDsOfNames) on every creatable class, with fuzzer-chosen members,
// flags and arguments: what any script can send.
//
// Each input starts a pool of objects: one fresh object per row of the class table, made through
// the class registry, and the top-level objects of a loaded example document (whose host
// document checks every edit). Objects that calls hand out join the pool, so later calls reach
// sites, species and the like too. Members are picked from each object's type information, and
// arguments are well-formed VARIANTs of every kind the ABI allows, often of the declared type;
// everything the harness made or received is freed after each call, so the sanitizers see any
// leak, double free or stray write of the library.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "com/oleauto.h"
#include "fault.h"
#include "lattice/lattice.h"
#include "lattice/site_specification.h"
#include "nox/comptr.h"
#include "nox/registry.h"
#include "nox/strings.h"
#include "processes_document.h"
#include "configuration/configuration.h"
#include "configuration/configuration_history.h"
#include "configuration/configuration_history_action.h"
#include "interaction/interaction_list.h"
#include "process/process_list.h"
#include "species/species_list.h"
#include "typelib/typelib.h"
#include "vxostrel/tree.h"
#include "xmltree/xmltree.h"

namespace {

using kmcdoc::ProcessesDocument;

// What every object of one input may lean on; it outlives the pool.
struct Fixture {
    std::unique_ptr<ProcessesDocument> document;
    std::unique_ptr<xmlTree> readTree;
    xmlTree writeTree;
};

// One row per creatable class: its ProgID and, where a fresh object can do little on its own,
// what links it to the fixture. A class of the library without a row stops the harness at start.
struct ClassRow {
    const char* progId;
    std::function<void(IDispatch* object, Fixture& fixture)> prepare;
};

const ClassRow kClasses[] = {
    {"VxDocuments.KMCLattice.1", nullptr},
    {"VxDocuments.KMCLatticeSite.1", nullptr},
    {"VxDocuments.KMCLatticeSiteList.1", nullptr},
    {"VxDocuments.KMCSpecies.1", nullptr},
    {"VxDocuments.KMCSpeciesList.1", nullptr},
    {"VxDocuments.KMCSiteSpecification.1",
     [](IDispatch* object, Fixture& f) {
         KMCSiteSpecification::FromInterface(object).SetParent(&f.document->Document(), &f.document->Lattice());
     }},
    {"VxDocuments.KMCActiveSite.1",
     [](IDispatch* object, Fixture& f) {
         KMCActiveSite::FromInterface(object).SetParent(&f.document->Document(), &f.document->SpeciesList());
     }},
    {"VxDocuments.KMCBlockingSite.1",
     [](IDispatch* object, Fixture& f) {
         KMCBlockingSite::FromInterface(object).SetParent(&f.document->Document(), &f.document->SpeciesList());
     }},
    {"VxDocuments.KMCProcess.1",
     [](IDispatch* object, Fixture& f) { KMCProcess::FromInterface(object).SetParent(&f.document->ProcessList()); }},
    {"VxDocuments.KMCProcessList.1",
     [](IDispatch* object, Fixture& f) {
         KMCProcessList::FromInterface(object).SetParent(&f.document->Document(), nullptr, &f.document->Lattice(),
                                                         &f.document->SpeciesList());
     }},
    {"VxDocuments.KMCInteractionDetail.1", nullptr},
    {"VxDocuments.KMCInteraction.1",
     [](IDispatch* object, Fixture& f) { KMCInteraction::FromInterface(object).SetParent(&f.document->InteractionList()); }},
    {"VxDocuments.KMCConfigurationHistoryAction.1",
     [](IDispatch* object, Fixture& f) {
         KMCConfigurationHistoryAction::FromInterface(object).SetParent(&f.document->Document());
     }},
    {"VxDocuments.KMCConfigurationHistory.1",
     [](IDispatch* object, Fixture& f) {
         KMCConfigurationHistory::FromInterface(object).SetParent(&f.document->Document());
     }},
    {"VxDocuments.KMCConfiguration.1",
     [](IDispatch* object, Fixture& f) { KMCConfiguration::FromInterface(object).SetParent(&f.document->Document()); }},
    {"VxDocuments.OstrelToXML.1",
     [](IDispatch* object, Fixture& f) {
         kmc::AttachTree(NoxComPtr<IDispatch>(object).As<IVxOstrelToXML>().Get(), &f.writeTree);
     }},
    {"VxDocuments.XMLToOstrel.1",
     [](IDispatch* object, Fixture& f) {
         kmc::AttachTree(NoxComPtr<IDispatch>(object).As<IVxXMLToOstrel>().Get(), f.readTree.get());
     }},
};

std::string g_example;  // the example document's text

std::string ReadExample() {
    std::ifstream file(KMC_SOURCE_DIR "/examples/square_lattice.xml", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (text.str().empty()) kmcfuzz::Fault("cannot read the example document");
    return text.str();
}

void CheckEveryClassHasARow() {
    for (const nox::RegisteredClass& registered : nox::RegisteredClasses()) {
        if (registered.libid != LIBID_VxOstrel) continue;
        bool found = false;
        for (const ClassRow& row : kClasses) found = found || registered.progId == row.progId;
        if (!found) kmcfuzz::Fault("a creatable class has no row in the Invoke harness", registered.progId);
    }
}

// The arguments of one call and every value they own or point at. Typed by-reference targets
// hand the member's output to the caller without freeing what they held, so both are freed.
class Arguments {
public:
    Arguments() = default;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& arg : args_) VariantClear(&arg);
        for (size_t k = 0; k < strings_.size(); ++k) {
            if (*strings_[k] != stringsBefore_[k]) SysFreeString(*strings_[k]);
            SysFreeString(stringsBefore_[k]);
        }
        for (size_t k = 0; k < objects_.size(); ++k) {
            if (*objects_[k] != objectsBefore_[k] && *objects_[k] != nullptr) (*objects_[k])->Release();
            if (objectsBefore_[k] != nullptr) objectsBefore_[k]->Release();
        }
        for (auto& target : variants_) VariantClear(target.get());
    }

    std::vector<VARIANT>& List() { return args_; }

    // A VARIANT of `vt` (not by reference) with a value from the input.
    VARIANT Value(VARTYPE vt, FuzzedDataProvider& in, const std::vector<NoxComPtr<IDispatch>>& pool) {
        VARIANT v{};
        v.vt = vt;
        switch (vt) {
            case VT_I1:
            case VT_UI1:
                v.bVal = in.ConsumeIntegral<BYTE>();
                break;
            case VT_I2:
            case VT_UI2:
                v.iVal = in.ConsumeIntegral<SHORT>();
                break;
            case VT_BOOL:
                v.boolVal = in.ConsumeBool() ? VARIANT_TRUE : in.ConsumeIntegral<SHORT>();
                break;
            case VT_I4:
            case VT_UI4:
            case VT_INT:
            case VT_UINT:
                v.lVal = in.ConsumeIntegral<LONG>();
                break;
            case VT_ERROR:
                v.scode = in.ConsumeBool() ? DISP_E_PARAMNOTFOUND : in.ConsumeIntegral<SCODE>();
                break;
            case VT_I8:
            case VT_UI8:
            case VT_CY:
                v.llVal = in.ConsumeIntegral<LONGLONG>();
                break;
            case VT_R4:
                v.fltVal = in.ConsumeFloatingPoint<float>();
                break;
            case VT_R8:
            case VT_DATE:
                v.dblVal = Double(in);
                break;
            case VT_BSTR:
                v.bstrVal = Text(in);
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                v.pdispVal = Object(in, pool);
                break;
            default:
                v.vt = VT_EMPTY;
                break;
        }
        return v;
    }

    // A by-reference VARIANT whose target this holds; the target starts with a value of its type.
    VARIANT Reference(VARTYPE vt, FuzzedDataProvider& in, const std::vector<NoxComPtr<IDispatch>>& pool) {
        if (vt == VT_EMPTY || vt == VT_NULL) vt = VT_VARIANT;  // neither exists by reference
        VARIANT v{};
        v.vt = static_cast<VARTYPE>(VT_BYREF | vt);
        if (vt == VT_VARIANT) {
            variants_.push_back(std::make_unique<VARIANT>(Value(Scalar(in), in, pool)));
            v.pvarVal = variants_.back().get();
        } else if (vt == VT_BSTR) {
            strings_.push_back(std::make_unique<BSTR>(Text(in)));
            stringsBefore_.push_back(*strings_.back());
            v.pbstrVal = strings_.back().get();
        } else if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
            objects_.push_back(std::make_unique<IDispatch*>(Object(in, pool)));
            objectsBefore_.push_back(*objects_.back());
            v.ppdispVal = objects_.back().get();
        } else {
            scalars_.push_back(std::make_unique<LONGLONG>(Value(vt, in, pool).llVal));
            v.byref = scalars_.back().get();
        }
        return v;
    }

    VARIANT Array(FuzzedDataProvider& in, const std::vector<NoxComPtr<IDispatch>>& pool) {
        const VARTYPE element = in.PickValueInArray({VT_I4, VT_R8, VT_BSTR, VT_VARIANT});
        const ULONG count = in.ConsumeIntegralInRange<ULONG>(0, 3);
        VARIANT v{};
        v.vt = static_cast<VARTYPE>(VT_ARRAY | element);
        v.parray = SafeArrayCreateVector(element, 0, count);
        for (LONG k = 0; v.parray != nullptr && k < static_cast<LONG>(count); ++k) {
            VARIANT item = Value(element == VT_VARIANT ? Scalar(in) : element, in, pool);
            void* source = element == VT_VARIANT ? static_cast<void*>(&item)
                           : element == VT_BSTR  ? static_cast<void*>(item.bstrVal)
                                                 : static_cast<void*>(&item.llVal);
            SafeArrayPutElement(v.parray, &k, source);  // copies
            VariantClear(&item);
        }
        if (v.parray == nullptr) v.vt = VT_EMPTY;
        return v;
    }

    static VARTYPE Scalar(FuzzedDataProvider& in) {
        return in.PickValueInArray<VARTYPE>({VT_EMPTY,   VT_NULL, VT_I2,   VT_I4,       VT_R4,    VT_R8,
                                             VT_CY,      VT_DATE, VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL,
                                             VT_UNKNOWN, VT_I1,   VT_UI1,  VT_UI2,      VT_UI4,   VT_I8,
                                             VT_UI8,     VT_INT,  VT_UINT});
    }

private:
    static double Double(FuzzedDataProvider& in) {
        if (in.ConsumeBool()) return in.ConsumeFloatingPoint<double>();
        const uint64_t bits = in.ConsumeIntegral<uint64_t>();  // NaNs, infinities, subnormals
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Either UTF-8 (replaced where invalid) or raw 16-bit units (lone surrogates and all), or null.
    static BSTR Text(FuzzedDataProvider& in) {
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0:
                return NoxBSTR(in.ConsumeRandomLengthString(64)).Detach();
            case 1: {
                const std::vector<uint8_t> bytes =
                    in.ConsumeBytes<uint8_t>(2 * in.ConsumeIntegralInRange(0, 32));
                std::vector<OLECHAR> units(bytes.size() / 2);
                if (!units.empty()) std::memcpy(units.data(), bytes.data(), 2 * units.size());
                return SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
            }
            default:
                return nullptr;
        }
    }
    // One more reference to a pool object, or null.
    static IDispatch* Object(FuzzedDataProvider& in, const std::vector<NoxComPtr<IDispatch>>& pool) {
        const size_t pick = in.ConsumeIntegralInRange<size_t>(0, pool.size());
        if (pick == pool.size()) return nullptr;
        pool[pick]->AddRef();
        return pool[pick].Get();
    }

    std::vector<VARIANT> args_;
    std::vector<std::unique_ptr<BSTR>> strings_;
    std::vector<BSTR> stringsBefore_;
    std::vector<std::unique_ptr<IDispatch*>> objects_;
    std::vector<IDispatch*> objectsBefore_;
    std::vector<std::unique_ptr<VARIANT>> variants_;
    std::vector<std::unique_ptr<LONGLONG>> scalars_;
};

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in_(in) {
        fixture_.document = ProcessesDocument::Parse(g_example, "example");
        fixture_.readTree = xmlTree::ParseString(g_example);
        for (const ClassRow& row : kClasses) {
            NoxComPtr<IDispatch> object;
            NoxCreateImpl(row.progId, nullptr, 0, IID_IDispatch, object.PutVoid(), true);
            if (row.prepare) row.prepare(object.Get(), fixture_);
            pool_.push_back(object);
        }
        pool_.push_back(NoxComPtr<IDispatch>(static_cast<IVxKMCLattice*>(&fixture_.document->Lattice())));
        pool_.push_back(
            NoxComPtr<IDispatch>(static_cast<IVxKMCSpeciesList*>(&fixture_.document->SpeciesList())));
        pool_.push_back(
            NoxComPtr<IDispatch>(static_cast<IVxKMCProcessList*>(&fixture_.document->ProcessList())));
        pool_.push_back(
            NoxComPtr<IDispatch>(static_cast<IVxKMCInteractionList*>(&fixture_.document->InteractionList())));
    }
    void Run() {
        for (int calls = 0; calls < 24 && in_.remaining_bytes() > 0; ++calls) {
            IDispatch* target = pool_[in_.ConsumeIntegralInRange<size_t>(0, pool_.size() - 1)].Get();
            if (in_.ConsumeIntegralInRange(0, 15) == 15)
                AskNames(target);
            else
                Call(target);
        }
    }

private:
    static constexpr size_t kPoolLimit = 64;

    const nox::typelib::InterfaceDesc* DescriptionOf(IDispatch* target) {
        NoxComPtr<ITypeInfo> info;
        if (FAILED(target->GetTypeInfo(0, 0, info.Put())) || !info) return nullptr;
        return nox::typelib::DescriptionOf(info.Get());
    }

    // The parameters a caller supplies: all but the [out,retval], which is last.
    static size_t Supplied(const nox::typelib::MemberDesc& member) {
        const auto& params = member.params;
        return params.size() - (!params.empty() && params.back().dir == nox::typelib::ParamDir::Retval);
    }

    void AskNames(IDispatch* target) {
        std::vector<NoxBSTR> names;
        const size_t count = in_.ConsumeIntegralInRange<size_t>(0, 3);
        for (size_t k = 0; k < count; ++k) names.emplace_back(in_.ConsumeRandomLengthString(24));
        std::vector<LPOLESTR> pointers;
        for (const NoxBSTR& name : names) pointers.push_back(name.Get());
        std::vector<DISPID> ids(count);
        target->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(count), 0, ids.data());
    }

    void Call(IDispatch* target) {
        const nox::typelib::InterfaceDesc* desc = DescriptionOf(target);
        const nox::typelib::MemberDesc* member = nullptr;
        if (desc != nullptr && !desc->members.empty() && in_.ConsumeIntegralInRange(0, 7) != 7)
            member = &desc->members[in_.ConsumeIntegralInRange<size_t>(0, desc->members.size() - 1)];
        const DISPID id = member != nullptr ? member->dispid
                                            : in_.PickValueInArray<DISPID>({0, -1, -3, -4, 1, 2, 7, 20, 999,
                                                                            in_.ConsumeIntegral<DISPID>()});
        WORD flags = member != nullptr ? static_cast<WORD>(member->kind) : DISPATCH_METHOD;
        if (in_.ConsumeIntegralInRange(0, 5) == 5)
            flags = in_.PickValueInArray<WORD>({0, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                                DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT,
                                                in_.ConsumeIntegral<WORD>()});

        Arguments arguments;
        std::vector<VARIANT>& args = arguments.List();
        const size_t declared = member != nullptr ? Supplied(*member) : 0;
        const size_t count = !in_.ConsumeBool() ? declared : in_.ConsumeIntegralInRange<size_t>(0, 6);
        // rgvarg holds the arguments last to first.
        for (size_t k = 0; k < count; ++k) {
            const nox::typelib::ParamDesc* param = k < declared ? &member->params[declared - 1 - k] : nullptr;
            args.push_back(Argument(arguments, param));
        }
        std::vector<DISPID> named;
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0 &&
            in_.ConsumeIntegralInRange(0, 7) != 7)
            named.push_back(DISPID_PROPERTYPUT);
        else if (in_.ConsumeIntegralInRange(0, 7) == 7)
            for (size_t k = in_.ConsumeIntegralInRange<size_t>(0, count); k > 0; --k)
                named.push_back(in_.ConsumeIntegralInRange<DISPID>(-4, static_cast<DISPID>(declared)));
        if (named.size() > count) named.resize(count);

        DISPPARAMS params{args.data(), named.empty() ? nullptr : named.data(), static_cast<UINT>(args.size()),
                          static_cast<UINT>(named.size())};
        VARIANT result{};
        EXCEPINFO exception{};
        UINT argErr = 0;
        const bool wantResult = in_.ConsumeIntegralInRange(0, 7) != 7;
        const bool wantException = in_.ConsumeIntegralInRange(0, 7) != 7;
        const IID& iid = in_.ConsumeIntegralInRange(0, 15) != 15 ? IID_NULL : IID_IDispatch;
        target->Invoke(id, iid, 0, flags, &params, wantResult ? &result : nullptr,
                       wantException ? &exception : nullptr, in_.ConsumeBool() ? nullptr : &argErr);

        if (result.vt == VT_DISPATCH && result.pdispVal != nullptr && pool_.size() < kPoolLimit)
            pool_.push_back(NoxComPtr<IDispatch>(result.pdispVal));
        VariantClear(&result);
        for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
            SysFreeString(text);
    }

    // Mostly of the declared type (by reference for outputs), otherwise of any kind.
    VARIANT Argument(Arguments& arguments, const nox::typelib::ParamDesc* param) {
        const int kind = in_.ConsumeIntegralInRange(0, 9);
        if (param != nullptr && kind < 5) {
            const bool output = param->dir != nox::typelib::ParamDir::In;
            return output ? arguments.Reference(in_.ConsumeBool() ? param->vt : VT_VARIANT, in_, pool_)
                          : arguments.Value(param->vt == VT_VARIANT ? Arguments::Scalar(in_) : param->vt, in_,
                                            pool_);
        }
        if (kind == 5) return arguments.Array(in_, pool_);
        if (kind < 8)
            return arguments.Reference(in_.ConsumeBool() ? VT_VARIANT : Arguments::Scalar(in_), in_, pool_);
        return arguments.Value(Arguments::Scalar(in_), in_, pool_);
    }

    FuzzedDataProvider& in_;
    Fixture fixture_;
    std::vector<NoxComPtr<IDispatch>> pool_;  // released before the fixture its objects point into
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_example = ReadExample();
    kmcdoc::RegisterModule();
    CheckEveryClassHasARow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Session session(in);
    session.Run();
    return 0;
}
