// Writing: our own serialiser, so that escaping, layout and depth handling are ours to choose.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "nox/result.h"
#include "xmltree/xmlchars.h"
#include "xmltree/xmlfile.h"
#include "xmltree/xmltree.h"

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Indentation stops growing at this depth and deeper elements are written on one line, which
// keeps the output linear in size however deeply a tree nests.
constexpr size_t kMaxIndentedDepth = 64;

enum class Context { kText, kAttribute };

std::string CharacterReference(char c) { return "&#" + std::to_string(static_cast<unsigned char>(c)) + ";"; }

bool NeedsEscape(char c, Context context) {
    switch (c) {
        case '&':
        case '<':
        case '>':
        case '\r':
            return true;
        case '"':
        case '\t':
        case '\n':
            return context == Context::kAttribute;
        default:
            return false;
    }
}

// CR is escaped in text too: a reader turns a literal one into LF. Tab and LF in attribute
// values must be references because a reader turns literal ones into spaces. Runs that need no
// escape are copied whole.
void AppendEscaped(std::string& out, std::string_view text, Context context) {
    for (;;) {
        const auto special =
            std::ranges::find_if(text, [context](char c) { return NeedsEscape(c, context); });
        out.append(text.begin(), special);
        if (special == text.end()) return;
        switch (*special) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += CharacterReference(*special);
        }
        text.remove_prefix(static_cast<size_t>(special - text.begin()) + 1);
    }
}

const xmlNode* ChildAt(const xmlElement& element, size_t index) { return element.Children()[index]; }

// Empty text nodes leave no trace in the output, so they must not change the layout either,
// or a save of the re-read tree would differ.
bool IsVisible(const xmlNode* node) {
    const xmlText* text = node->AsText();
    return text == nullptr || !text->Text().empty();
}

bool HasVisibleText(const xmlElement& element) {
    return std::ranges::any_of(element.Children(),
                               [](const xmlNode* n) { return n->AsText() && IsVisible(n); });
}

bool HasVisibleChildren(const xmlElement& element) {
    return std::ranges::any_of(element.Children(), IsVisible);
}

// About the size of the text, so that it is made in one allocation in the usual case: names,
// values, markup and indentation, without escapes.
size_t EstimatedSize(const xmlElement& root) {
    size_t size = kDeclaration.size();
    std::vector<std::pair<const xmlElement*, size_t>> pending{{&root, 0}};
    while (!pending.empty()) {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        size += 4 * std::min(depth, kMaxIndentedDepth) + 2 * element->Name().size() + 6;
        for (const xmlAttribute& attribute : element->Attributes())
            size += attribute.Name().size() + attribute.Value().size() + 4;
        for (const xmlNode* child : element->Children()) {
            if (const xmlElement* nested = child->AsElement()) {
                pending.emplace_back(nested, depth + 1);
            } else {
                size += child->AsText()->Text().size();
            }
        }
    }
    return size;
}

// Writes a tree with an explicit stack of open elements rather than recursion.
class Serializer {
public:
    std::string Write(const xmlElement& root) {
        out_.reserve(EstimatedSize(root));
        out_ = kDeclaration;
        Open(root);
        while (!open_.empty()) Step();
        return std::move(out_);
    }

private:
    struct OpenElement {
        const xmlElement* element;
        size_t next;   // index of the next child to write
        bool compact;  // content on one line: no indentation is added inside
    };

    void Step() {
        OpenElement& top = open_.back();
        if (top.next == top.element->GetNumChildren()) return Close();
        const xmlNode* child = ChildAt(*top.element, top.next);
        if (const xmlElement* element = child->AsElement()) {
            ++top.next;
            Open(*element);  // invalidates `top`
        } else {
            top.next = WriteTextRun(*top.element, top.next);
        }
    }

    bool InsideCompact() const { return !open_.empty() && open_.back().compact; }

    void Indent() { out_.append(2 * open_.size(), ' '); }

    void Open(const xmlElement& element) {
        const bool onParentLine = InsideCompact();
        if (!onParentLine) Indent();
        out_ += '<';
        out_ += element.Name();
        for (const xmlAttribute& attribute : element.Attributes()) {
            out_ += ' ';
            out_ += attribute.Name();
            out_ += "=\"";
            AppendEscaped(out_, attribute.Value(), Context::kAttribute);
            out_ += '"';
        }
        if (!HasVisibleChildren(element)) {
            out_ += onParentLine ? "/>" : "/>\n";
            return;
        }
        // Indenting inside an element that holds text would add white space to that text.
        const bool compact = onParentLine || HasVisibleText(element) || open_.size() >= kMaxIndentedDepth;
        out_ += compact ? ">" : ">\n";
        open_.push_back({&element, 0, compact});
    }

    void Close() {
        const OpenElement closing = open_.back();
        open_.pop_back();
        if (!closing.compact) Indent();
        out_ += "</";
        out_ += closing.element->Name();
        out_ += InsideCompact() ? ">" : ">\n";
    }

    // Writes the consecutive text nodes from `first` on as the one text a reader will see;
    // returns the index after them.
    size_t WriteTextRun(const xmlElement& parent, size_t first) {
        std::string run;
        size_t next = first;
        for (; next < parent.GetNumChildren(); ++next) {
            const xmlText* text = ChildAt(parent, next)->AsText();
            if (text == nullptr) break;
            run += text->Text();
        }
        std::string_view rest = run;
        // A reader drops text that is only white space, taking it for indentation; a leading
        // character reference is not white space to it, so such text survives.
        if (!rest.empty() && std::ranges::all_of(rest, xmltree::IsXmlSpace)) {
            out_ += CharacterReference(rest.front());
            rest.remove_prefix(1);
        }
        AppendEscaped(out_, rest, Context::kText);
        return next;
    }

    std::string out_;
    std::vector<OpenElement> open_;
};

}  // namespace

std::string xmlTree::SaveString() const {
    if (!root_) throw NoxResult(E_UNEXPECTED, "The XML tree has no root element to save");
    return Serializer().Write(*root_);
}

void xmlTree::SaveFile(const std::string& path) const { xmltree::SaveFile(path, SaveString()); }
