#include "xml/element_io.h"

#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "xml/reader.h"
#include "xml/writer.h"

namespace kmc {

ElementWriter::ElementWriter(IVxOstrelToXML* writer, const char* element)
    : writer_(CheckNullDereference(writer)), direct_(OstrelToXML::TryFromInterface(writer_)) {
    nox::Check(direct_ ? direct_->OpenObject(std::string_view(element))
                       : writer_->OpenObject(NoxBSTR(element).Get()));
}

void ElementWriter::Text(const char* attribute, const std::string& value) {
    nox::Check(direct_ ? direct_->AddAttribute(std::string_view(attribute), value)
                       : writer_->AddAttribute(NoxBSTR(attribute).Get(), NoxBSTR(value).Get()));
}

void ElementWriter::Double(const char* attribute, double value) {
    nox::Check(direct_ ? direct_->AddDoubleAttribute(std::string_view(attribute), value)
                       : writer_->AddDoubleAttribute(NoxBSTR(attribute).Get(), value));
}

void ElementWriter::Long(const char* attribute, LONG value) {
    nox::Check(direct_ ? direct_->AddLongAttribute(std::string_view(attribute), value)
                       : writer_->AddLongAttribute(NoxBSTR(attribute).Get(), value));
}

// The writer's own text of a flag.
void ElementWriter::Bool(const char* attribute, bool value) {
    nox::Check(direct_ ? direct_->AddAttribute(std::string_view(attribute), value ? "true" : "false")
                       : writer_->AddBoolAttribute(NoxBSTR(attribute).Get(), value ? VARIANT_TRUE : VARIANT_FALSE));
}

void ElementWriter::Color(const char* attribute, ColorValue value) { Text(attribute, value.ToString()); }

void ElementWriter::Close() { nox::Check(writer_->CloseObject()); }

namespace {

HRESULT OpenNext(IVxXMLToOstrel* reader, const char* element) {
    if (XMLToOstrel* direct = XMLToOstrel::TryFromInterface(CheckNullDereference(reader)))
        return direct->OpenNextElement(std::string_view(element));
    return reader->OpenNextElement(NoxBSTR(element).Get());
}

}  // namespace

ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element, const char* failure)
    : ElementReader(reader, element, OpenNext(reader, element), failure) {}

// Running out of memory is no fault of the file, so it is not reported as one.
ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element, HRESULT opened, const char* failure)
    : reader_(reader), direct_(XMLToOstrel::TryFromInterface(reader)), element_(element) {
    if (opened == S_OK) return;
    if (opened == E_OUTOFMEMORY)
        throw NoxResult(E_OUTOFMEMORY, NoxFormat("Out of memory while opening %1 element") << element_);
    if (failure != nullptr) throw NoxResult(E_UNEXPECTED, failure);
    throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to open %1 element") << element_);
}

std::optional<ElementReader> ElementReader::OpenIfPresent(IVxXMLToOstrel* reader, const char* element) {
    const HRESULT opened = OpenNext(reader, element);
    if (opened == S_FALSE) return std::nullopt;
    return ElementReader(reader, element, opened, nullptr);
}

void ElementReader::FailAttribute(const char* attribute, const char* failure) const {
    if (failure != nullptr) throw NoxResult(E_UNEXPECTED, failure);
    throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to obtain %1 attribute from %2 element")
                                      << attribute << element_);
}

void ElementReader::CheckAttribute(HRESULT hr, const char* attribute, const char* failure) const {
    if (hr == E_OUTOFMEMORY) {
        throw NoxResult(E_OUTOFMEMORY, NoxFormat("Out of memory while reading %1 attribute from %2 element")
                                           << attribute << element_);
    }
    if (FAILED(hr)) FailAttribute(attribute, failure);
}

HRESULT ElementReader::ReadText(const char* attribute, std::string& value) {
    if (direct_) return direct_->GetAttributeValue(std::string_view(attribute), &value);
    NoxBSTR text;
    const HRESULT hr = reader_->GetAttributeValue(NoxBSTR(attribute).Get(), text.Put());
    value = text.ToTString();
    return hr;
}

std::optional<std::string> ElementReader::Attribute(const char* attribute, const char* failure) {
    std::string value;
    const HRESULT hr = ReadText(attribute, value);
    CheckAttribute(hr, attribute, failure);
    if (hr == S_FALSE) return std::nullopt;
    return value;
}

template <class Value>
HRESULT ElementReader::Read(const char* attribute, Value* value, HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                            HRESULT (XMLToOstrel::*direct)(std::string_view, Value*)) {
    return direct_ ? (direct_->*direct)(attribute, value) : (reader_->*read)(NoxBSTR(attribute).Get(), value);
}

template <class Value>
Value ElementReader::ReadRequired(const char* attribute, const char* failure,
                                  HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                                  HRESULT (XMLToOstrel::*direct)(std::string_view, Value*)) {
    Value value{};
    CheckAttribute(Read(attribute, &value, read, direct), attribute, failure);
    return value;
}

template <class Value>
std::optional<Value> ElementReader::ReadOptional(const char* attribute, HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*),
                                                 HRESULT (XMLToOstrel::*direct)(std::string_view, Value*)) {
    Value value{};
    if (Read(attribute, &value, read, direct) != S_OK) return std::nullopt;
    return value;
}

std::string ElementReader::Text(const char* attribute, const char* failure) {
    return Attribute(attribute, failure).value_or(std::string());
}

double ElementReader::Double(const char* attribute, const char* failure) {
    return ReadRequired<double>(attribute, failure, &IVxXMLToOstrel::GetDoubleAttributeValue,
                                &XMLToOstrel::GetDoubleAttributeValue);
}

LONG ElementReader::Long(const char* attribute, const char* failure) {
    return ReadRequired<LONG>(attribute, failure, &IVxXMLToOstrel::GetLongAttributeValue,
                              &XMLToOstrel::GetLongAttributeValue);
}

bool ElementReader::Bool(const char* attribute) {
    return ReadRequired<VARIANT_BOOL>(attribute, nullptr, &IVxXMLToOstrel::GetBoolAttributeValue,
                                      &XMLToOstrel::GetBoolAttributeValue) == VARIANT_TRUE;
}

std::optional<std::string> ElementReader::OptionalText(const char* attribute) {
    std::string text;
    if (ReadText(attribute, text) != S_OK) return std::nullopt;
    return text;
}

std::optional<bool> ElementReader::OptionalBool(const char* attribute) {
    const std::optional<VARIANT_BOOL> flag = ReadOptional<VARIANT_BOOL>(
        attribute, &IVxXMLToOstrel::GetBoolAttributeValue, &XMLToOstrel::GetBoolAttributeValue);
    if (!flag) return std::nullopt;
    return *flag == VARIANT_TRUE;
}

std::optional<LONG> ElementReader::OptionalLong(const char* attribute) {
    return ReadOptional<LONG>(attribute, &IVxXMLToOstrel::GetLongAttributeValue, &XMLToOstrel::GetLongAttributeValue);
}

ColorValue ElementReader::Color(const char* attribute, ColorValue whenAbsent) {
    const std::optional<std::string> text = Attribute(attribute, nullptr);
    if (!text) return whenAbsent;
    const std::optional<ColorValue> color = ColorValue::Parse(*text);
    if (!color) FailAttribute(attribute, nullptr);
    return *color;
}

bool ElementReader::ChildrenRemain() {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader_->AreElementsRemaining(&remaining));
    return remaining != VARIANT_FALSE;
}

void ElementReader::Close() { nox::Check(reader_->CloseElement()); }

}  // namespace kmc
