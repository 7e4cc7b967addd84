#include "typelib_report.h"

#include <vector>

#include "document.h"
#include "json.h"
#include "nox/comptr.h"
#include "typelib/typelib.h"
#include "vxostrel/ids.h"

namespace kmcdoc {
namespace {

using nox::typelib::InterfaceDesc;
using nox::typelib::MemberKind;
using nox::typelib::ParamDir;

std::vector<const InterfaceDesc*> LibraryInterfaces() {
    RegisterModule();
    NoxComPtr<ITypeLib> library;
    nox::Check(LoadRegTypeLib(LIBID_VxOstrel, kVxOstrelMajor, kVxOstrelMinor, 0, library.Put()));
    std::vector<const InterfaceDesc*> interfaces;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        NoxComPtr<ITypeInfo> info;
        nox::Check(library->GetTypeInfo(i, info.Put()));
        if (const InterfaceDesc* desc = nox::typelib::DescriptionOf(info.Get())) interfaces.push_back(desc);
    }
    return interfaces;
}

const char* KindName(MemberKind kind) {
    switch (kind) {
        case MemberKind::PropGet:
            return "propget";
        case MemberKind::PropPut:
            return "propput";
        case MemberKind::Method:
            break;
    }
    return "method";
}

const char* DirectionName(ParamDir dir) {
    switch (dir) {
        case ParamDir::Out:
            return "out";
        case ParamDir::Retval:
            return "retval";
        case ParamDir::In:
            break;
    }
    return "in";
}

}  // namespace

std::string TypeLibraryText() {
    std::string out;
    for (const InterfaceDesc* desc : LibraryInterfaces()) {
        out += desc->name + " " + nox::FormatGuid(*desc->iid) + "\n";
        for (const auto& member : desc->members) {
            out += "  [" + std::to_string(member.dispid) + "] " + KindName(member.kind) + " " + member.name +
                   "(";
            for (size_t i = 0; i < member.params.size(); ++i) {
                const auto& param = member.params[i];
                if (i > 0) out += ", ";
                out += std::string("[") + DirectionName(param.dir) + "] " + param.typeName + " " + param.name;
            }
            out += ")\n";
        }
    }
    return out;
}

std::string TypeLibraryJson() {
    JsonWriter json;
    json.BeginArray();
    for (const InterfaceDesc* desc : LibraryInterfaces()) {
        json.BeginObject().Key("interface").String(desc->name).Key("iid").String(nox::FormatGuid(*desc->iid));
        json.Key("members").BeginArray();
        for (const auto& member : desc->members) {
            json.BeginObject().Key("name").String(member.name).Key("dispid").Integer(member.dispid);
            json.Key("kind").String(KindName(member.kind)).Key("params").BeginArray();
            for (const auto& param : member.params)
                json.BeginObject()
                    .Key("name")
                    .String(param.name)
                    .Key("type")
                    .String(param.typeName)
                    .Key("dir")
                    .String(DirectionName(param.dir))
                    .EndObject();
            json.EndArray().EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
    return json.Text() + "\n";
}

}  // namespace kmcdoc
