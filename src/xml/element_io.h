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
    void Bool(const char* attribute, bool value);
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
    // the enclosing element and close it in place of this one. `failure`, when given, replaces
    // the derived sentence.
    ElementReader(IVxXMLToOstrel* reader, const char* element, const char* failure = nullptr);
    // For an element a file may leave out: nothing when the next child is not that element; a
    // failing reader is refused as above.
    static std::optional<ElementReader> OpenIfPresent(IVxXMLToOstrel* reader, const char* element);
    // `failure`, when given, replaces the derived sentence: some saved formats name an attribute
    // in their sentence differently from its XML name, and callers rely on the exact text.
    std::string Text(const char* attribute, const char* failure = nullptr);
    double Double(const char* attribute, const char* failure = nullptr);
    LONG Long(const char* attribute, const char* failure = nullptr);
    // True only for the text "true".
    bool Bool(const char* attribute);
    // Attributes a file may leave out: absent, and unreadable alike, read as nothing.
    std::optional<std::string> OptionalText(const char* attribute);
    std::optional<bool> OptionalBool(const char* attribute);
    std::optional<LONG> OptionalLong(const char* attribute);
    // An absent colour reads as `whenAbsent`; text that is not a colour fails like a failing read.
    ColorValue Color(const char* attribute, ColorValue whenAbsent);
    // Whether the element has children that were not read.
    bool ChildrenRemain();
    IVxXMLToOstrel* Reader() const { return reader_; }
    void Close();

private:
    ElementReader(IVxXMLToOstrel* reader, const char* element, HRESULT opened, const char* failure);
    std::optional<std::string> Attribute(const char* attribute, const char* failure);
    // A typed read through the module's reader or through the interface.
    template <class Value>
    HRESULT Read(const char* attribute, Value* value, HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                 HRESULT (XMLToOstrel::*direct)(std::string_view, Value*));
    template <class Value>
    Value ReadRequired(const char* attribute, const char* failure, HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                       HRESULT (XMLToOstrel::*direct)(std::string_view, Value*));
    template <class Value>
    std::optional<Value> ReadOptional(const char* attribute, HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                                      HRESULT (XMLToOstrel::*direct)(std::string_view, Value*));
    // The attribute's text and the reader's answer (S_FALSE when absent).
    HRESULT ReadText(const char* attribute, std::string& value);
    void CheckAttribute(HRESULT hr, const char* attribute, const char* failure = nullptr) const;
    [[noreturn]] void FailAttribute(const char* attribute, const char* failure) const;

    IVxXMLToOstrel* reader_;
    XMLToOstrel* direct_;  // the same reader when it is the module's own, else null
    std::string element_;
};

}  // namespace kmc
