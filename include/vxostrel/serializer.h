// IVxKMCSerializer: how a persistent object saves itself into a writer and loads itself from a
// reader. Not dispatchable (derives from IUnknown); listed in the type library all the same.
#pragma once

#include "typelib/members.h"
#include "vxostrel/xml.h"

struct IVxKMCSerializer : IUnknown {
    [[nodiscard]] virtual HRESULT SaveToXML(IVxOstrelToXML* writer) = 0;
    [[nodiscard]] virtual HRESULT LoadFromXML(IVxXMLToOstrel* reader) = 0;
};
NOX_INTERFACE_TRAITS(IVxKMCSerializer);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxKMCSerializer*) {
    static const auto desc = nox::typelib::Describe<IVxKMCSerializer>({
        NOX_MEMBER(IVxKMCSerializer, SaveToXML, "writer"),
        NOX_MEMBER(IVxKMCSerializer, LoadFromXML, "reader"),
    });
    return desc;
}
