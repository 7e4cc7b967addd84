// Writing and reading one XML element of a persistent class, with the failure sentences its file
// format has always used ("Failed to open Lattice element", "Failed to obtain LatticeU attribute
// from Lattice element").
//
// With the module's own writer and reader the calls take their 8-bit entrances; any other
// implementation of the interfaces is called through them.
#pragma once

#include <optional>
#include <string>

#include "geometry/color.h"
#include "vxostrel/xml.h"

class OstrelToXML;
class XMLToOstrel;

namespace kmc {

// Opens the element on construction; Close() ends it. A failing writer call is raised with the
// writer's own description.
class ElementWriter {
public:
    ElementWriter(IVxOstrelToXML* writer, const char* element);
    void Text(const char* attribute, const std::string& value);
    void Double(const char* attribute, double value);
    void Long(const char* attribute, LONG value);
    // The colour's text form, so that its top byte is stored too.
    void Color(const char* attribute, ColorValue value);
    void Close();

private:
    IVxOstrelToXML* writer_;
    OstrelToXML* direct_;  // the same writer when it is the module's own, else null
};

// Opens the next child element on construction; Close() leaves it. A failing reader call raises
// E_UNEXPECTED with the element's sentence, or E_OUTOFMEMORY saying so when memory ran out. An
// absent attribute reads as empty text, 0 or 0.0.
class ElementReader {
public:
    // An absent element is refused like a failing one: reading on would take the attributes of
    // the enclosing element and close it in place of this one.
    ElementReader(IVxXMLToOstrel* reader, const char* element);
    // `failure`, when given, replaces the derived sentence: some saved formats name an attribute
    // in their sentence differently from its XML name, and callers rely on the exact text.
    std::string Text(const char* attribute, const char* failure = nullptr);
    double Double(const char* attribute);
    LONG Long(const char* attribute);
    // An absent colour reads as `whenAbsent`; text that is not a colour fails like a failing read.
    ColorValue Color(const char* attribute, ColorValue whenAbsent);
    // Whether the element has children that were not read.
    bool ChildrenRemain();
    IVxXMLToOstrel* Reader() const { return reader_; }
    void Close();

private:
    std::optional<std::string> Attribute(const char* attribute, const char* failure);
    template <class Number>
    Number ReadNumber(const char* attribute, HRESULT (IVxXMLToOstrel::*read)(BSTR, Number*),
                      HRESULT (XMLToOstrel::*direct)(std::string_view, Number*));
    void CheckAttribute(HRESULT hr, const char* attribute, const char* failure = nullptr) const;
    [[noreturn]] void FailAttribute(const char* attribute, const char* failure) const;

    IVxXMLToOstrel* reader_;
    XMLToOstrel* direct_;  // the same reader when it is the module's own, else null
    std::string element_;
};

}  // namespace kmc
