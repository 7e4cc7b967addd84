#include "lattice/element_io.h"

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

void ElementWriter::Close() { nox::Check(writer_->CloseObject()); }

ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element)
    : reader_(CheckNullDereference(reader)), element_(element) {
    if (reader_->OpenNextElement(NoxBSTR(element_).Get()) != S_OK)
        throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to open %1 element") << element_);
}

void ElementReader::CheckAttribute(HRESULT hr, const char* attribute) const {
    if (FAILED(hr))
        throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to obtain %1 attribute from %2 element")
                                          << attribute << element_);
}

std::string ElementReader::Text(const char* attribute) {
    NoxBSTR value;
    CheckAttribute(reader_->GetAttributeValue(NoxBSTR(attribute).Get(), value.Put()), attribute);
    return value.ToTString();
}

double ElementReader::Double(const char* attribute) {
    double value = 0.0;
    CheckAttribute(reader_->GetDoubleAttributeValue(NoxBSTR(attribute).Get(), &value), attribute);
    return value;
}

LONG ElementReader::Long(const char* attribute) {
    LONG value = 0;
    CheckAttribute(reader_->GetLongAttributeValue(NoxBSTR(attribute).Get(), &value), attribute);
    return value;
}

bool ElementReader::ChildrenRemain() {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader_->AreElementsRemaining(&remaining));
    return remaining != VARIANT_FALSE;
}

void ElementReader::Close() { nox::Check(reader_->CloseElement()); }

}  // namespace kmc
