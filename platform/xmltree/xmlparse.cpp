// Reading: pugixml checks the markup in place, then one loop copies its nodes into our tree and
// frees each as soon as it is copied, so the two never both hold the whole document.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <new>
#include <utility>

#include <pugixml.hpp>

#include "nox/result.h"
#include "xmltree/xmlbuild.h"
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

[[noreturn]] void Malformed(std::string description) { throw NoxResult(E_INVALIDARG, std::move(description)); }

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
// Text without a reference is returned as it is; other text is expanded into `scratch`.
std::string_view ExpandReferences(std::string_view raw, std::string& scratch) {
    size_t ampersand = raw.find('&');
    if (ampersand == std::string_view::npos) return raw;
    scratch.clear();
    for (;;) {
        scratch.append(raw.substr(0, ampersand));
        if (ampersand == std::string_view::npos) return scratch;
        const size_t semicolon = raw.find(';', ampersand);
        const std::string_view reference = raw.substr(ampersand + 1, semicolon - ampersand - 1);
        const bool wellFormed = semicolon != std::string_view::npos &&
                                (reference.starts_with('#') || xmltree::NameProblem(reference).empty());
        if (!wellFormed) Malformed("'&' must start an entity or character reference (write \"&amp;\")");
        AppendReference(scratch, reference);
        raw.remove_prefix(semicolon + 1);
        ampersand = raw.find('&');
    }
}

bool IsText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

size_t Count(auto range) { return static_cast<size_t>(std::distance(range.begin(), range.end())); }

// Where the lines of a text start, a bit a byte, so that positions can still be named once the
// parser has written into the text.
class LineMap {
public:
    explicit LineMap(std::string_view text) : newlines_(text.size() / 64 + 1) {
        for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
            newlines_[at / 64] |= uint64_t{1} << (at % 64);
        size_t total = 0;
        for (size_t word = 0; word < newlines_.size(); ++word) {
            if (word % kBlockWords == 0) before_.push_back(total);
            total += static_cast<size_t>(std::popcount(newlines_[word]));
        }
    }

    // Counted from 1.
    size_t Line(size_t offset) const {
        const size_t word = offset / 64;
        size_t count = before_[word / kBlockWords];
        for (size_t w = word - word % kBlockWords; w < word; ++w)
            count += static_cast<size_t>(std::popcount(newlines_[w]));
        return count + static_cast<size_t>(std::popcount(newlines_[word] & BitsBelow(offset))) + 1;
    }

    // The offset of the first byte of the line `offset` is on.
    size_t LineStart(size_t offset) const {
        uint64_t bits = newlines_[offset / 64] & BitsBelow(offset);
        for (size_t word = offset / 64;; bits = newlines_[--word]) {
            if (bits != 0) return word * 64 + (63 - static_cast<size_t>(std::countl_zero(bits))) + 1;
            if (word == 0) return 0;
        }
    }

private:
    static constexpr size_t kBlockWords = 8;

    static uint64_t BitsBelow(size_t offset) { return (uint64_t{1} << (offset % 64)) - 1; }

    std::vector<uint64_t> newlines_;  // bit i set when byte i is a line feed
    std::vector<size_t> before_;      // line feeds before each block of kBlockWords words
};

// Copies one pugixml document into a new tree. Failures name the source and the position.
class Converter {
public:
    Converter(xmltree::Buffer& text, std::string errorPrefix)
        : text_(text), lines_(text.View()), errorPrefix_(std::move(errorPrefix)) {}

    std::unique_ptr<xmlTree> Run() {
        pugi::xml_document document;
        const pugi::xml_parse_result result =
            document.load_buffer_inplace(text_.data.get(), text_.size, kParseOptions, pugi::encoding_utf8);
        if (result.status == pugi::status_out_of_memory) throw std::bad_alloc();
        if (!result) Fail(result.offset, result.description());
        auto tree = std::make_unique<xmlTree>();
        CopyElements(*tree, RootElement(document));
        return tree;
    }

private:
    [[noreturn]] void Fail(ptrdiff_t offset, std::string_view reason) const {
        throw NoxResult(E_FAIL, errorPrefix_ + " at " + Position(static_cast<size_t>(offset)) + ": " +
                               std::string(reason));
    }

    // "line L, column C", both 1-based; columns count characters, not bytes.
    std::string Position(size_t offset) const {
        const std::string_view text = text_.View();
        size_t lineStart = lines_.LineStart(offset);
        if (lineStart == 0 && text.starts_with(kByteOrderMark))
            lineStart = std::min(offset, kByteOrderMark.size());
        const auto isCharacterStart = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
        const auto column =
            std::ranges::count_if(text.substr(lineStart, offset - lineStart), isCharacterStart) + 1;
        return "line " + std::to_string(lines_.Line(offset)) + ", column " + std::to_string(column);
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
        if (!root) Fail(static_cast<ptrdiff_t>(text_.size), "No document element found");
        return root;
    }

    // Walks the source with its parent and sibling links instead of recursion, so nesting
    // depth costs no stack. Each source node is removed once it and its children are copied;
    // it then has no children left, so removing it is quick.
    void CopyElements(xmlTree& tree, pugi::xml_node sourceRoot) {
        xmlElement* target = CopyElement(tree, nullptr, sourceRoot);
        pugi::xml_node source = sourceRoot;
        pugi::xml_node child = source.first_child();
        for (;;) {
            if (!child) {
                if (source == sourceRoot) return;
                child = source.next_sibling();
                pugi::xml_node parent = source.parent();
                parent.remove_child(source);
                source = parent;
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

    xmlElement* CopyElement(xmlTree& tree, xmlElement* parent, pugi::xml_node source) {
        return At(source, [&] {
            const size_t line = lines_.Line(static_cast<size_t>(source.offset_debug()));
            xmlElement* element = xmltree_detail::TreeBuilder::AddElement(
                tree, parent, source.name(), line, Count(source.attributes()), Count(source.children()));
            for (pugi::xml_attribute attribute : source.attributes())
                CopyAttribute(tree, *element, attribute);
            return element;
        });
    }

    void CopyAttribute(xmlTree& tree, xmlElement& element, pugi::xml_attribute source) {
        using xmltree_detail::TreeBuilder;
        const std::string_view name = source.name();
        const std::string_view raw = source.value();
        xmlAttributeClass* known = TreeBuilder::KnownAttributeClass(tree, name);
        if (known != nullptr && TreeBuilder::HasAttribute(*known, element))
            Malformed("attribute \"" + std::string(name) + "\" is repeated");
        if (raw.find('<') != std::string_view::npos) {
            Malformed("'<' is not allowed in the value of attribute \"" + std::string(name) + "\"");
        }
        TreeBuilder::AddNewAttribute(tree, element, known, name, ExpandReferences(raw, scratch_));
    }

    // Adjacent text and CDATA become one text node; returns the node after them.
    pugi::xml_node CopyTextRun(xmlElement& parent, pugi::xml_node first) {
        std::string text;
        pugi::xml_node node = first;
        for (; node && IsText(node); node = node.next_sibling()) {
            At(node, [&] {
                text +=
                    node.type() == pugi::node_cdata ? node.value() : ExpandReferences(node.value(), scratch_);
            });
        }
        At(first, [&] { parent.AddChild(std::make_unique<xmlText>(std::move(text))); });
        return node;
    }

    xmltree::Buffer& text_;
    const LineMap lines_;
    std::string errorPrefix_;
    std::string scratch_;  // expanded references, reused from value to value
};

// Raises E_FAIL "<prefix>: <reason>".
[[noreturn]] void Unreadable(const std::string& prefix, std::string_view reason) {
    throw NoxResult(E_FAIL, prefix + ": " + std::string(reason));
}

// Converts UTF-16 (after its byte-order mark) to UTF-8; a broken sequence is refused, not
// replaced, so that nothing in the file is silently changed.
xmltree::Buffer Utf16ToUtf8(std::string_view units, bool bigEndian, const std::string& prefix) {
    if (units.size() % 2 != 0) Unreadable(prefix, "the UTF-16 text ends in the middle of a character");
    const auto unit = [&](size_t i) -> char32_t {
        const auto hi = static_cast<unsigned char>(units[i + (bigEndian ? 0 : 1)]);
        const auto lo = static_cast<unsigned char>(units[i + (bigEndian ? 1 : 0)]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    std::string out;
    out.reserve(units.size() / 2 * 3);
    for (size_t i = 0; i < units.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 2 < units.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            Unreadable(prefix, "the UTF-16 text has an unpaired surrogate at byte " + std::to_string(i + 2));
        }
        xmltree::AppendUtf8(out, c);
    }
    return xmltree::Buffer::Copy(out);
}

// UTF-8 passes as it is (the parser skips its byte-order mark); UTF-16 with a byte-order mark is
// converted; anything else that can be told from its first bytes is refused by name.
void DecodeToUtf8(xmltree::Buffer& text, const std::string& prefix) {
    const std::string_view bytes = text.View();
    if (bytes.starts_with(std::string_view("\x00\x00\xFE\xFF", 4)) ||
        bytes.starts_with(std::string_view("\xFF\xFE\x00\x00", 4))) {
        Unreadable(prefix, "the file is in UTF-32, which is not supported; save it as UTF-8");
    }
    if (bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE")) {
        text = Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE', prefix);
    } else if (bytes.starts_with(std::string_view("<\0", 2)) ||
               bytes.starts_with(std::string_view("\0<", 2))) {
        Unreadable(prefix,
                   "the file looks like UTF-16 without a byte-order mark, which is not supported; "
                   "save it as UTF-8");
    }
}

std::unique_ptr<xmlTree> Parse(xmltree::Buffer text, std::string errorPrefix) {
    DecodeToUtf8(text, errorPrefix);
    return Converter(text, std::move(errorPrefix)).Run();
}

// Runs `parse`, raising a failure to allocate as E_OUTOFMEMORY with the description `describe()`
// gives (made only then, as making it needs memory too).
template <class Parse, class Describe>
std::unique_ptr<xmlTree> ReportingOutOfMemory(Parse parse, Describe describe) {
    try {
        return parse();
    } catch (const std::bad_alloc&) {
        throw NoxResult(E_OUTOFMEMORY, describe());
    }
}

}  // namespace

std::unique_ptr<xmlTree> xmlTree::ParseString(std::string_view text) {
    return ReportingOutOfMemory([&] { return Parse(xmltree::Buffer::Copy(text), "Invalid XML"); },
                                [] { return std::string("Out of memory while parsing XML"); });
}

std::unique_ptr<xmlTree> xmlTree::ParseFile(const std::string& path, size_t maxSize) {
    return ReportingOutOfMemory(
        [&] { return Parse(xmltree::ReadFile(path, maxSize), path + ": invalid XML"); },
        [&] { return path + ": out of memory while reading the file"; });
}
