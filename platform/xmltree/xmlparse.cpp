// Reading: pugixml checks the markup, then one loop copies its nodes into our tree.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include <pugixml.hpp>

#include "nox/result.h"
#include "xmltree/xmlchars.h"
#include "xmltree/xmlfile.h"
#include "xmltree/xmltree.h"

namespace {

// References are left to ExpandReferences, which rejects undefined entities instead of
// keeping them as literal text. Fragment mode makes pugixml keep text outside the root
// element as nodes, so that it can be rejected rather than silently skipped; the DOCTYPE is
// kept for the same reason.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_wconv_attribute |
                                   pugi::parse_doctype | pugi::parse_fragment;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void Malformed(std::string description) { nox::Throw(E_INVALIDARG, std::move(description)); }

void AppendCharacterReference(std::string& out, std::string_view reference) {
    const bool hex = reference.starts_with("#x");
    const std::string_view digits = reference.substr(hex ? 2 : 1);
    uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    const std::string quoted = "\"&" + std::string(reference) + ";\"";
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        Malformed("malformed character reference " + quoted);
    }
    if (!xmltree::IsXmlChar(value)) {
        Malformed("character reference " + quoted + " names " + xmltree::DescribeCodePoint(value) +
                  ", which XML does not allow");
    }
    xmltree::AppendUtf8(out, value);
}

void AppendReference(std::string& out, std::string_view reference) {
    static constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    if (reference.starts_with('#')) return AppendCharacterReference(out, reference);
    const auto* entity = std::ranges::find(kPredefined, reference, &std::pair<std::string_view, char>::first);
    if (entity == std::end(kPredefined)) Malformed("undefined entity \"&" + std::string(reference) + ";\"");
    out += entity->second;
}

// Expands the five predefined entities and character references; any other '&' is an error.
std::string ExpandReferences(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (;;) {
        const size_t ampersand = raw.find('&');
        out.append(raw.substr(0, ampersand));
        if (ampersand == std::string_view::npos) return out;
        const size_t semicolon = raw.find(';', ampersand);
        const std::string_view reference = raw.substr(ampersand + 1, semicolon - ampersand - 1);
        const bool wellFormed = semicolon != std::string_view::npos &&
                                (reference.starts_with('#') || xmltree::NameProblem(reference).empty());
        if (!wellFormed) Malformed("'&' must start an entity or character reference (write \"&amp;\")");
        AppendReference(out, reference);
        raw.remove_prefix(semicolon + 1);
    }
}

bool IsText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Copies one pugixml document into a new tree. Failures name the source and the position.
class Converter {
public:
    Converter(std::string_view text, std::string errorPrefix)
        : text_(text), errorPrefix_(std::move(errorPrefix)) {}

    std::unique_ptr<xmlTree> Run() const {
        pugi::xml_document document;
        const pugi::xml_parse_result result =
            document.load_buffer(text_.data(), text_.size(), kParseOptions, pugi::encoding_utf8);
        if (!result) Fail(result.offset, result.description());
        auto tree = std::make_unique<xmlTree>();
        CopyElements(*tree, RootElement(document));
        return tree;
    }

private:
    [[noreturn]] void Fail(ptrdiff_t offset, std::string_view reason) const {
        nox::Throw(E_FAIL, errorPrefix_ + " at " + Position(static_cast<size_t>(offset)) + ": " +
                               std::string(reason));
    }

    // "line L, column C", both 1-based; columns count characters, not bytes.
    std::string Position(size_t offset) const {
        std::string_view before = text_.substr(0, offset);
        if (before.starts_with(kByteOrderMark)) before.remove_prefix(kByteOrderMark.size());
        const size_t lineStart = before.rfind('\n') + 1;  // 0 when there is no line break
        const auto isCharacterStart = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
        const auto line = std::ranges::count(before, '\n') + 1;
        const auto column = std::ranges::count_if(before.substr(lineStart), isCharacterStart) + 1;
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }

    // Runs `body`, turning a rejected name or text into a parse failure at `node`.
    template <class Body>
    auto At(pugi::xml_node node, Body body) const {
        try {
            return body();
        } catch (const NoxResult& rejected) {
            Fail(node.offset_debug(), rejected.Description());
        }
    }

    pugi::xml_node RootElement(const pugi::xml_document& document) const {
        pugi::xml_node root;
        for (pugi::xml_node node : document.children()) {
            if (node.type() == pugi::node_doctype) {
                Fail(node.offset_debug(), "DOCTYPE declarations are not accepted");
            } else if (IsText(node)) {
                Fail(node.offset_debug(), "text is not allowed outside the root element");
            } else if (node.type() == pugi::node_element) {
                if (root)
                    Fail(node.offset_debug(), "a second root element \"" + std::string(node.name()) + "\"");
                root = node;
            }
        }
        if (!root) Fail(static_cast<ptrdiff_t>(text_.size()), "No document element found");
        return root;
    }

    // Walks the source with its parent and sibling links instead of recursion, so nesting
    // depth costs no stack.
    void CopyElements(xmlTree& tree, pugi::xml_node sourceRoot) const {
        xmlElement* target = CopyElement(tree, nullptr, sourceRoot);
        pugi::xml_node source = sourceRoot;
        pugi::xml_node child = source.first_child();
        for (;;) {
            if (!child) {
                if (source == sourceRoot) return;
                child = source.next_sibling();
                source = source.parent();
                target = target->Parent();
            } else if (child.type() == pugi::node_element) {
                target = CopyElement(tree, target, child);
                source = child;
                child = child.first_child();
            } else {  // with our options the only other kinds inside an element are text and CDATA
                child = CopyTextRun(*target, child);
            }
        }
    }

    xmlElement* CopyElement(xmlTree& tree, xmlElement* parent, pugi::xml_node source) const {
        return At(source, [&] {
            xmlElement* element = tree.AddElement(parent, tree.FindElementClass(source.name()));
            for (pugi::xml_attribute attribute : source.attributes())
                CopyAttribute(tree, *element, attribute);
            return element;
        });
    }

    static void CopyAttribute(xmlTree& tree, xmlElement& element, pugi::xml_attribute source) {
        const std::string_view name = source.name();
        const std::string_view raw = source.value();
        if (element.GetAttribute(name) != nullptr)
            Malformed("attribute \"" + std::string(name) + "\" is repeated");
        if (raw.find('<') != std::string_view::npos) {
            Malformed("'<' is not allowed in the value of attribute \"" + std::string(name) + "\"");
        }
        tree.AddAttribute(&element, tree.FindAttributeClass(name), ExpandReferences(raw));
    }

    // Adjacent text and CDATA become one text node; returns the node after them.
    pugi::xml_node CopyTextRun(xmlElement& parent, pugi::xml_node first) const {
        std::string text;
        pugi::xml_node node = first;
        for (; node && IsText(node); node = node.next_sibling()) {
            At(node, [&] {
                text += node.type() == pugi::node_cdata ? node.value() : ExpandReferences(node.value());
            });
        }
        At(first, [&] { parent.AddChild(std::make_unique<xmlText>(std::move(text))); });
        return node;
    }

    std::string_view text_;
    std::string errorPrefix_;
};

}  // namespace

std::unique_ptr<xmlTree> xmlTree::ParseString(std::string_view text) {
    return Converter(text, "Invalid XML").Run();
}

std::unique_ptr<xmlTree> xmlTree::ParseFile(const std::string& path) {
    const std::string text = xmltree::ReadFile(path);
    return Converter(text, path + ": invalid XML").Run();
}
