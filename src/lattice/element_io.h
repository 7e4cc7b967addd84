// Writing and reading one XML element of a persistent class, with the class's own failure
// sentences ("Failed to open Lattice element", "Failed to obtain LatticeU attribute from
// Lattice element").
#pragma once

#include <string>

#include "vxostrel/xml.h"

namespace kmc {

// Opens the element on construction; Close() ends it. A failing writer call is raised with the
// writer's own description.
class ElementWriter {
public:
    ElementWriter(IVxOstrelToXML* writer, const char* element);
    void Text(const char* attribute, const std::string& value);
    void Double(const char* attribute, double value);
    void Long(const char* attribute, LONG value);
    IVxOstrelToXML* Writer() const { return writer_; }
    void Close();

private:
    IVxOstrelToXML* writer_;
};

// Opens the next child element on construction; Close() leaves it. A failing reader call raises
// E_UNEXPECTED with the element's sentence. An absent attribute reads as empty text, 0 or 0.0.
class ElementReader {
public:
    // An absent element is refused like a failing one: reading on would take the attributes of
    // the enclosing element and close it in place of this one.
    ElementReader(IVxXMLToOstrel* reader, const char* element);
    std::string Text(const char* attribute);
    double Double(const char* attribute);
    LONG Long(const char* attribute);
    bool ChildrenRemain();
    IVxXMLToOstrel* Reader() const { return reader_; }
    void Close();

private:
    void CheckAttribute(HRESULT hr, const char* attribute) const;

    IVxXMLToOstrel* reader_;
    std::string element_;
};

}  // namespace kmc
