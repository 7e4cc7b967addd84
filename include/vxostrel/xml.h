// The writer and reader through which every persistent object saves and loads itself.
#pragma once

#include "typelib/members.h"
#include "vxostrel/ids.h"

// Builds an XML tree: a stack of open elements, every call adding to the one on top.
struct IVxOstrelToXML : IDispatch {
    [[nodiscard]] virtual HRESULT InitializeSaver(BSTR rootName, BSTR version) = 0;
    [[nodiscard]] virtual HRESULT OpenObject(BSTR name) = 0;
    [[nodiscard]] virtual HRESULT CloseObject() = 0;
    [[nodiscard]] virtual HRESULT AddAttribute(BSTR name, BSTR value) = 0;
    [[nodiscard]] virtual HRESULT AddDoubleAttribute(BSTR name, double value) = 0;
    [[nodiscard]] virtual HRESULT AddLongAttribute(BSTR name, LONG value) = 0;
    [[nodiscard]] virtual HRESULT AddBoolAttribute(BSTR name, VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT AddValue(VARIANT value) = 0;
};
NOX_INTERFACE_TRAITS(IVxOstrelToXML);

// Walks an XML tree strictly forward. A request for an element that is not the next child, or
// for an absent attribute, answers S_FALSE; failures are kept for misuse.
struct IVxXMLToOstrel : IDispatch {
    [[nodiscard]] virtual HRESULT InitializeLoader(BSTR* rootName, BSTR* version) = 0;
    [[nodiscard]] virtual HRESULT OpenNextElement(BSTR name) = 0;
    [[nodiscard]] virtual HRESULT CloseElement() = 0;
    [[nodiscard]] virtual HRESULT AreElementsRemaining(VARIANT_BOOL* remaining) = 0;
    [[nodiscard]] virtual HRESULT GetAttributeValue(BSTR name, BSTR* value) = 0;
    [[nodiscard]] virtual HRESULT GetDoubleAttributeValue(BSTR name, double* value) = 0;
    [[nodiscard]] virtual HRESULT GetLongAttributeValue(BSTR name, LONG* value) = 0;
    [[nodiscard]] virtual HRESULT GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT GetValue(BSTR* value) = 0;
};
NOX_INTERFACE_TRAITS(IVxXMLToOstrel);

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxOstrelToXML*) {
    static const auto desc = nox::typelib::Describe<IVxOstrelToXML>({
        NOX_MEMBER(IVxOstrelToXML, InitializeSaver, "rootName, version"),
        NOX_MEMBER(IVxOstrelToXML, OpenObject, "name"),
        NOX_MEMBER(IVxOstrelToXML, CloseObject, ""),
        NOX_MEMBER(IVxOstrelToXML, AddAttribute, "name, value"),
        NOX_MEMBER(IVxOstrelToXML, AddDoubleAttribute, "name, value"),
        NOX_MEMBER(IVxOstrelToXML, AddLongAttribute, "name, value"),
        NOX_MEMBER(IVxOstrelToXML, AddBoolAttribute, "name, value"),
        NOX_MEMBER(IVxOstrelToXML, AddValue, "value"),
    });
    return desc;
}

inline const nox::typelib::InterfaceDesc& DescribeInterface(IVxXMLToOstrel*) {
    static const auto desc = nox::typelib::Describe<IVxXMLToOstrel>({
        NOX_MEMBER(IVxXMLToOstrel, InitializeLoader, "rootName, version"),
        NOX_MEMBER(IVxXMLToOstrel, OpenNextElement, "name"),
        NOX_MEMBER(IVxXMLToOstrel, CloseElement, ""),
        NOX_MEMBER(IVxXMLToOstrel, AreElementsRemaining, "remaining"),
        NOX_MEMBER(IVxXMLToOstrel, GetAttributeValue, "name, value"),
        NOX_MEMBER(IVxXMLToOstrel, GetDoubleAttributeValue, "name, value"),
        NOX_MEMBER(IVxXMLToOstrel, GetLongAttributeValue, "name, value"),
        NOX_MEMBER(IVxXMLToOstrel, GetBoolAttributeValue, "name, value"),
        NOX_MEMBER(IVxXMLToOstrel, GetValue, "value"),
    });
    return desc;
}
