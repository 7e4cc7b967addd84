#include "xml/reader.h"

#include <locale>
#include <sstream>

#include "nox/strings.h"

namespace {
const char* const kNoOpenElement = "No elements are currently open in the tree";
}

void XMLToOstrel::Initialize(const xmlTree* tree) {
    if (tree_ != nullptr) throw NoxResult(E_UNEXPECTED, "XMLToOstrel has already been initialised.");
    if (tree == nullptr) throw NoxResult(E_POINTER, "No XML tree supplied to XMLToOstrel.");
    tree_ = tree;
}

void XMLToOstrel::Finalize() { Pop(); }

void XMLToOstrel::Pop() {
    if (!stack_.empty()) stack_.pop_back();
}

XMLToOstrel::ElementRecord& XMLToOstrel::Current() {
    if (stack_.empty()) throw NoxResult(E_UNEXPECTED, kNoOpenElement);
    return stack_.back();
}

const xmlNode* XMLToOstrel::NextChild() {
    ElementRecord& record = Current();
    if (record.cursor >= record.element->GetNumChildren()) return nullptr;
    return record.element->Children_begin()[static_cast<std::ptrdiff_t>(record.cursor)];
}

HRESULT XMLToOstrel::InitializeLoader(BSTR* rootName, BSTR* version) {
    return Boundary([&] {
        kmc::Out(rootName);
        kmc::Out(version);
        if (tree_ == nullptr) throw NoxResult(E_UNEXPECTED, "XMLToOstrel has not been initialised.");
        const xmlElement* root = tree_->Root();
        if (root == nullptr) throw NoxResult(E_UNEXPECTED, "The XML tree has no root element.");
        const xmlAttribute* versionAttribute = root->GetAttribute("Version");
        NoxBSTR rootText(root->Name());
        NoxBSTR versionText(versionAttribute != nullptr ? versionAttribute->Value() : std::string_view());
        stack_.push_back({root, 0});
        rootName_ = root->Name();
        version_ = versionAttribute != nullptr ? versionAttribute->Value() : std::string_view();
        *rootName = rootText.Detach();
        *version = versionText.Detach();
    });
}

HRESULT XMLToOstrel::OpenNextElement(BSTR name) {
    return Boundary([&] {
        const auto* element = dynamic_cast<const xmlElement*>(NextChild());
        if (element == nullptr || element->Name() != BSTRToTString(name)) return S_FALSE;
        ++stack_.back().cursor;
        stack_.push_back({element, 0});
        return S_OK;
    });
}

HRESULT XMLToOstrel::CloseElement() {
    return Boundary([&] { Pop(); });
}

HRESULT XMLToOstrel::AreElementsRemaining(VARIANT_BOOL* remaining) {
    return Boundary([&] {
        kmc::Out(remaining);
        *remaining = NextChild() != nullptr ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT XMLToOstrel::GetAttributeValue(BSTR name, BSTR* value) {
    return Boundary([&] {
        kmc::Out(value);
        const xmlAttribute* attribute = Current().element->GetAttribute(BSTRToTString(name));
        if (attribute == nullptr) return S_FALSE;
        *value = NoxBSTR(attribute->Value()).Detach();
        return S_OK;
    });
}

std::string XMLToOstrel::AttributeText(BSTR name, bool& absent) {
    NoxBSTR text;
    absent = nox::Check(static_cast<IVxXMLToOstrel*>(this)->GetAttributeValue(name, text.Put())) == S_FALSE;
    return text.ToTString();
}

template <class Number>
HRESULT XMLToOstrel::ReadNumber(BSTR name, Number* value) {
    return Boundary([&] {
        kmc::Out(value);
        bool absent = false;
        std::string text = AttributeText(name, absent);
        if (absent) return S_FALSE;
        // Standard extraction: a leading number counts, anything after it is ignored, and text
        // that does not start with a number reads as zero.
        std::istringstream stream(text);
        stream.imbue(std::locale::classic());
        stream >> *value;
        return S_OK;
    });
}

HRESULT XMLToOstrel::GetDoubleAttributeValue(BSTR name, double* value) { return ReadNumber(name, value); }

HRESULT XMLToOstrel::GetLongAttributeValue(BSTR name, LONG* value) { return ReadNumber(name, value); }

HRESULT XMLToOstrel::GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) {
    return Boundary([&] {
        kmc::Out(value);
        bool absent = false;
        std::string text = AttributeText(name, absent);
        if (text == "true") {
            *value = VARIANT_TRUE;
            return S_OK;
        }
        return text == "false" ? S_OK : S_FALSE;
    });
}

HRESULT XMLToOstrel::GetValue(BSTR* value) {
    return Boundary([&] {
        kmc::Out(value);
        const xmlNode* next = NextChild();
        if (next == nullptr) return S_FALSE;
        const auto* text = dynamic_cast<const xmlText*>(next);
        if (text == nullptr)
            throw NoxResult(E_UNEXPECTED, "The next node of the current element is an element, not text.");
        *value = NoxBSTR(text->Text()).Detach();
        ++stack_.back().cursor;
        return S_OK;
    });
}
