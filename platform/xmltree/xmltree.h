// The XML tree: elements, attributes and text nodes owned by one xmlTree, parsed with pugixml
// and written by our own serialiser.
//
// Elements, their child and attribute arrays and attribute values live in the tree's own
// storage, which only grows: an element never moves, so pointers to elements stay valid while
// the tree lives, and a tree of any shape is freed without recursion. Element and attribute
// names are interned per tree as classes. Text is UTF-8 and is checked where it enters the tree,
// so a tree can always be saved and read back. Failures are NoxResult exceptions; a failed call
// leaves the tree unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "com/base.h"

class xmlElement;
class xmlText;
class xmlTree;

namespace xmltree_detail {

class TreeBuilder;

// Bump allocation in chunks that are freed together with the tree.
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* Allocate(size_t bytes, size_t alignment);
    // Grows the latest allocation, which ends at `end`, by `bytes` where it lies; false when
    // something was allocated after it or its chunk has no room left.
    bool Extend(const void* end, size_t bytes);
    std::string_view Store(std::string_view text);

private:
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::byte* next_ = nullptr;
    size_t left_ = 0;
};

// An array of trivially copyable items in a tree's arena. While it is the arena's latest
// allocation it grows in place one item at a time, so an element whose attributes are added one
// by one takes exactly the room they need; otherwise growing copies it to a block twice as large
// and leaves the old one unused.
template <class T>
class ArenaArray {
public:
    std::span<T> Items() const { return {data_, size_}; }
    size_t Size() const { return size_; }
    void Reserve(Arena& arena, size_t capacity);
    // Makes sure the next Append needs no allocation.
    void MakeRoom(Arena& arena);
    T& Append(Arena& arena, const T& item);

private:
    T* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};

// The classes of one kind by name: open addressing over a power-of-two array of slots, so that a
// name is found with one probe in the usual case and nothing is allocated per name.
template <class Class>
class ClassTable {
public:
    // Eight bytes at a time, each mixed in by a multiply and a shift: a name costs two or three
    // steps instead of one per byte, and the table's Fibonacci hashing spreads the result.
    static uint64_t Hash(std::string_view name) {
        uint64_t hash = name.size();
        for (; name.size() >= 8; name.remove_prefix(8)) hash = Mix(hash ^ Word(name.data(), 8));
        return Mix(hash ^ Word(name.data(), name.size()));
    }

    Class* Find(std::string_view name, uint64_t hash) const;
    // Makes sure that the next `count` Inserts need no allocation.
    void MakeRoom(size_t count = 1);
    // For a name the table does not hold yet.
    void Insert(Class* cls, uint64_t hash);
    template <class Visit>
    void ForEach(Visit visit) const {
        for (const Slot& slot : slots_)
            if (slot.cls != nullptr) visit(*slot.cls);
    }

private:
    // The first `count` (at most 8) bytes at `bytes` as one word.
    static uint64_t Word(const char* bytes, size_t count) {
        uint64_t word = 0;
        std::memcpy(&word, bytes, count);
        return word;
    }
    static uint64_t Mix(uint64_t hash) {
        hash *= 0xBF58476D1CE4E5B9u;
        return hash ^ (hash >> 31);
    }

    struct Slot {
        uint64_t hash;
        Class* cls;  // null for a free slot
    };

    // Fibonacci hashing spreads names that differ only in their last characters.
    size_t Start(uint64_t hash) const { return static_cast<size_t>((hash * 0x9E3779B97F4A7C15u) >> shift_); }
    void Place(const Slot& slot);

    std::vector<Slot> slots_;  // empty, or a power of two at least twice the classes held
    size_t size_ = 0;
    unsigned shift_ = 64;
};

}  // namespace xmltree_detail

// A node of the tree: an element or a text node.
class NOX_EXPORT xmlNode {
public:
    virtual ~xmlNode();
    xmlNode(const xmlNode&) = delete;
    xmlNode& operator=(const xmlNode&) = delete;

    // The element this node is a child of; null for the root and for a node not yet added.
    xmlElement* Parent() const { return parent_; }
    // The node as an element or as text; null when it is the other kind.
    const xmlElement* AsElement() const;
    const xmlText* AsText() const;

protected:
    explicit xmlNode(bool element) : element_(element) {}

private:
    friend class xmlElement;
    friend class xmlTree;
    xmlElement* parent_ = nullptr;
    bool element_;
};

// Character data. The constructor rejects text XML 1.0 cannot carry (invalid UTF-8, control
// characters other than tab, CR and LF, U+FFFE, U+FFFF) with E_INVALIDARG.
class NOX_EXPORT xmlText : public xmlNode {
public:
    explicit xmlText(std::string text);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// A name interned by one tree; only that tree hands out and accepts it.
class NOX_EXPORT xmlNameClass {
public:
    xmlNameClass(const xmlNameClass&) = delete;
    xmlNameClass& operator=(const xmlNameClass&) = delete;

    const std::string& Name() const { return name_; }

protected:
    xmlNameClass(xmlTree& tree, std::string name) : tree_(&tree), name_(std::move(name)) {}

private:
    friend class xmlTree;
    friend class xmlElement;
    xmlTree* tree_;
    std::string name_;
};

class NOX_EXPORT xmlElementClass : public xmlNameClass {
private:
    friend class xmlTree;
    using xmlNameClass::xmlNameClass;
};

class NOX_EXPORT xmlAttributeClass : public xmlNameClass {
private:
    friend class xmlTree;
    friend class xmltree_detail::TreeBuilder;
    using xmlNameClass::xmlNameClass;

    // The element the parser last gave an attribute of this name. The parser adds all of an
    // element's attributes before the next element's, so this alone tells a repeated name.
    const xmlElement* parsedOn_ = nullptr;
};

// An attribute of an element. Its value lives as long as the tree; the attribute itself is
// valid until another attribute is added to the same element.
class NOX_EXPORT xmlAttribute {
public:
    const xmlAttributeClass& Class() const { return *class_; }
    const std::string& Name() const { return class_->Name(); }
    std::string_view Value() const { return value_; }

private:
    friend class xmlElement;
    xmlAttribute(const xmlAttributeClass& cls, std::string_view value) : class_(&cls), value_(value) {}

    const xmlAttributeClass* class_;
    std::string_view value_;
};

// An element; created only by xmlTree::AddElement and owned by the tree.
class NOX_EXPORT xmlElement : public xmlNode {
public:
    using ChildIterator = std::span<xmlNode* const>::iterator;

    const xmlElementClass& Class() const { return *class_; }
    const std::string& Name() const { return class_->Name(); }
    // The line of the source text the element starts on, counted from 1; 0 for an element that
    // was not parsed.
    size_t SourceLine() const { return line_; }

    // The child nodes in document order.
    std::span<xmlNode* const> Children() const { return children_.Items(); }
    ChildIterator Children_begin() const { return Children().begin(); }
    ChildIterator Children_end() const { return Children().end(); }
    size_t GetNumChildren() const { return children_.Size(); }

    // Null when the element has no attribute of that name.
    const xmlAttribute* GetAttribute(std::string_view name) const;
    // In the order the attributes were added.
    std::span<const xmlAttribute> Attributes() const { return attributes_.Items(); }

    // Appends `node` as the last child and makes this element its parent; the tree takes it
    // over. Meant for text nodes; elements are added through xmlTree::AddElement.
    void AddChild(std::unique_ptr<xmlNode> node);

private:
    friend class xmlTree;
    friend class xmltree_detail::TreeBuilder;

    explicit xmlElement(const xmlElementClass& cls) : xmlNode(true), class_(&cls) {}

    xmlTree& Tree() const { return *class_->tree_; }
    void Append(xmlNode& node);
    // The position of the attribute of that name, or Attributes().size() when there is none.
    size_t Find(std::string_view name) const;
    // Appends an attribute of a name the element does not have yet.
    xmlAttribute& AppendAttribute(const xmlAttributeClass& cls, std::string_view value);
    // Appends the attribute or replaces the value of the one of that name.
    xmlAttribute& SetAttribute(const xmlAttributeClass& cls, std::string_view value);

    const xmlElementClass* class_;
    xmltree_detail::ArenaArray<xmlNode*> children_;
    xmltree_detail::ArenaArray<xmlAttribute> attributes_;
    uint32_t line_ = 0;
};

class NOX_EXPORT xmlTree {
public:
    // The largest file ParseFile reads unless told otherwise.
    static constexpr size_t kDefaultMaxFileSize = size_t{512} << 20;

    xmlTree();
    ~xmlTree();
    // Classes and elements point back to their tree, so a tree stays where it was made.
    xmlTree(const xmlTree&) = delete;
    xmlTree& operator=(const xmlTree&) = delete;

    // The tree's one class for `name`, created on first use. A name that is not an XML name
    // raises E_INVALIDARG.
    xmlElementClass* FindElementClass(std::string_view name);
    xmlAttributeClass* FindAttributeClass(std::string_view name);

    // Creates an element as the last child of `parent`, or as the root when `parent` is null
    // (E_UNEXPECTED when there is a root already). `index`, when given, receives the new
    // element's position among its parent's children (0 for the root).
    xmlElement* AddElement(xmlElement* parent, xmlElementClass* cls, size_t* index = nullptr);

    // Appends an attribute to `element`. Adding a name the element already has replaces that
    // attribute's value in place (keeping its position) and returns it, so an element never
    // carries a name twice. `value` is checked like xmlText.
    xmlAttribute* AddAttribute(xmlElement* element, xmlAttributeClass* cls, std::string_view value);

    // Null for an empty tree.
    xmlElement* Root() const { return root_; }

    // Parse failures raise E_FAIL with the line and column (1-based) and the reason, and
    // E_OUTOFMEMORY when memory runs out. Whitespace-only text, comments, processing
    // instructions and the declaration are dropped; adjacent text and CDATA sections become one
    // text node. Documents with a DOCTYPE are rejected. UTF-8 is read, and UTF-16 with a
    // byte-order mark; other encodings are refused. Elements keep the line they start on.
    static std::unique_ptr<xmlTree> ParseString(std::string_view text);
    // Reads only a regular file of at most `maxSize` bytes; anything else, and a file that
    // cannot be read, raises E_FAIL with the reason.
    static std::unique_ptr<xmlTree> ParseFile(const std::string& path, size_t maxSize = kDefaultMaxFileSize);

    // UTF-8 with an XML declaration and two-space indentation. Elements that contain text
    // are written on one line so that no whitespace is added to their content. Saving a tree
    // without a root raises E_UNEXPECTED.
    std::string SaveString() const;
    // Saves to the file `path` names, following symbolic links to it. A regular file (or a new
    // one) is replaced through a temporary file beside it that takes over the old file's
    // permissions and, where allowed, its owner, so a failed save leaves the old file as it was
    // and removes the temporary; anything else (a device, a pipe, standard output) is written
    // straight. Failures raise E_FAIL.
    void SaveFile(const std::string& path) const;

private:
    friend class xmlElement;
    friend class xmltree_detail::TreeBuilder;
    // Classes live in the arena.
    template <class Class>
    Class* FindClass(xmltree_detail::ClassTable<Class>& table, std::string_view name, std::string_view kind);
    // For a name the table does not hold yet.
    template <class Class>
    Class* NewClass(xmltree_detail::ClassTable<Class>& table, std::string_view name, std::string_view kind);
    void CheckOwned(const xmlNameClass* cls, std::string_view role) const;
    xmlElement* NewElement(xmlElement* parent, const xmlElementClass& cls);

    // Elements, arrays and classes; attribute values apart, so that an element's attribute
    // array stays the latest allocation while its attributes are added.
    xmltree_detail::Arena arena_;
    xmltree_detail::Arena values_;
    xmltree_detail::ClassTable<xmlElementClass> elementClasses_;
    xmltree_detail::ClassTable<xmlAttributeClass> attributeClasses_;
    std::vector<std::unique_ptr<xmlNode>> texts_;
    xmlElement* root_ = nullptr;
};
