#include "xml/element_io.h"

#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"

namespace kmc {

ElementWriter::ElementWriter(IVxOstrelToXML* writer, const char* element)
    : writer_(CheckNullDereference(writer)) {
    nox::Check(writer_->OpenObject(NoxBSTR(element).Get()));
}

void ElementWriter::Text(const char* attribute, const std::string& value) {
    nox::Check(writer_->AddAttribute(NoxBSTR(attribute).Get(), NoxBSTR(value).Get()));
}

void ElementWriter::Double(const char* attribute, double value) {
    nox::Check(writer_->AddDoubleAttribute(NoxBSTR(attribute).Get(), value));
}

void ElementWriter::Long(const char* attribute, LONG value) {
    nox::Check(writer_->AddLongAttribute(NoxBSTR(attribute).Get(), value));
}

void ElementWriter::Bool(const char* attribute, bool value) {
    nox::Check(writer_->AddBoolAttribute(NoxBSTR(attribute).Get(), value ? VARIANT_TRUE : VARIANT_FALSE));
}

void ElementWriter::Color(const char* attribute, ColorValue value) { Text(attribute, value.ToString()); }

void ElementWriter::Close() { nox::Check(writer_->CloseObject()); }

namespace {
HRESULT OpenNext(IVxXMLToOstrel* reader, const char* element) {
    return CheckNullDereference(reader)->OpenNextElement(NoxBSTR(element).Get());
}
}  // namespace

ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element, const char* failure)
    : ElementReader(reader, element, OpenNext(reader, element), failure) {}

ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element, HRESULT opened, const char* failure)
    : reader_(reader), element_(element) {
    if (opened == S_OK) return;
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
    if (FAILED(hr)) FailAttribute(attribute, failure);
}

std::optional<std::string> ElementReader::Attribute(const char* attribute, const char* failure) {
    NoxBSTR value;
    const HRESULT hr = reader_->GetAttributeValue(NoxBSTR(attribute).Get(), value.Put());
    CheckAttribute(hr, attribute, failure);
    if (hr == S_FALSE) return std::nullopt;
    return value.ToTString();
}

template <class Number>
Number ElementReader::ReadNumber(const char* attribute, const char* failure,
                                 HRESULT (IVxXMLToOstrel::*read)(BSTR, Number*)) {
    Number value{};
    CheckAttribute((reader_->*read)(NoxBSTR(attribute).Get(), &value), attribute, failure);
    return value;
}

std::string ElementReader::Text(const char* attribute, const char* failure) {
    return Attribute(attribute, failure).value_or(std::string());
}

double ElementReader::Double(const char* attribute, const char* failure) {
    return ReadNumber(attribute, failure, &IVxXMLToOstrel::GetDoubleAttributeValue);
}

LONG ElementReader::Long(const char* attribute, const char* failure) {
    return ReadNumber(attribute, failure, &IVxXMLToOstrel::GetLongAttributeValue);
}

bool ElementReader::Bool(const char* attribute) {
    return ReadNumber(attribute, nullptr, &IVxXMLToOstrel::GetBoolAttributeValue) == VARIANT_TRUE;
}

template <class Value>
std::optional<Value> ElementReader::ReadOptional(const char* attribute,
                                                 HRESULT (IVxXMLToOstrel::*read)(BSTR, Value*)) {
    Value value{};
    if ((reader_->*read)(NoxBSTR(attribute).Get(), &value) != S_OK) return std::nullopt;
    return value;
}

std::optional<std::string> ElementReader::OptionalText(const char* attribute) {
    NoxBSTR text;
    if (reader_->GetAttributeValue(NoxBSTR(attribute).Get(), text.Put()) != S_OK) return std::nullopt;
    return text.ToTString();
}

std::optional<bool> ElementReader::OptionalBool(const char* attribute) {
    std::optional<VARIANT_BOOL> flag = ReadOptional(attribute, &IVxXMLToOstrel::GetBoolAttributeValue);
    if (!flag) return std::nullopt;
    return *flag == VARIANT_TRUE;
}

std::optional<LONG> ElementReader::OptionalLong(const char* attribute) {
    return ReadOptional(attribute, &IVxXMLToOstrel::GetLongAttributeValue);
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
