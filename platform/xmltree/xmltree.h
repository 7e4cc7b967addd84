// The XML tree: elements, attributes and text nodes owned by one xmlTree, parsed with pugixml
// and written by our own serialiser.
//
// Every node lives on the heap and never moves, so pointers to elements stay valid while
// children are added. Element and attribute names are interned per tree as classes. Text is
// UTF-8 and is checked where it enters the tree, so a tree can always be saved and read back.
// Failures are NoxResult exceptions; a failed call leaves the tree unchanged.
#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <map>
#include <memory>
#include <ranges>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/base.h"

class xmlElement;
class xmlTree;

namespace xmltree_detail {

// Random-access iteration over a vector of owning pointers that hands out the pointees, as
// `T*` or as `const T&`, so callers can neither see nor move the owning pointers.
template <class T, class Reference>
class OwnedIterator {
    using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;

public:
    using iterator_concept = std::random_access_iterator_tag;
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::remove_cvref_t<Reference>;
    using difference_type = std::ptrdiff_t;
    using reference = Reference;

    OwnedIterator() = default;
    explicit OwnedIterator(Base base) : base_(base) {}

    reference operator*() const {
        if constexpr (std::is_pointer_v<Reference>) {
            return base_->get();
        } else {
            return **base_;
        }
    }
    reference operator[](difference_type n) const { return *(*this + n); }

    OwnedIterator& operator++() { return *this += 1; }
    OwnedIterator operator++(int) { return std::exchange(*this, *this + 1); }
    OwnedIterator& operator--() { return *this -= 1; }
    OwnedIterator operator--(int) { return std::exchange(*this, *this - 1); }
    OwnedIterator& operator+=(difference_type n) {
        base_ += n;
        return *this;
    }
    OwnedIterator& operator-=(difference_type n) { return *this += -n; }

    friend OwnedIterator operator+(OwnedIterator it, difference_type n) { return it += n; }
    friend OwnedIterator operator+(difference_type n, OwnedIterator it) { return it += n; }
    friend OwnedIterator operator-(OwnedIterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const OwnedIterator& a, const OwnedIterator& b) {
        return a.base_ - b.base_;
    }
    friend bool operator==(const OwnedIterator&, const OwnedIterator&) = default;
    friend auto operator<=>(const OwnedIterator&, const OwnedIterator&) = default;

private:
    Base base_{};
};

// A pair of iterators to use in range-for and the std::ranges algorithms. std::ranges::subrange
// would do, but clang up to version 15 cannot instantiate it with GCC 12's standard library.
template <class Iterator>
class IteratorRange {
public:
    IteratorRange(Iterator first, Iterator last) : first_(first), last_(last) {}
    Iterator begin() const { return first_; }
    Iterator end() const { return last_; }
    size_t size() const { return static_cast<size_t>(last_ - first_); }
    bool empty() const { return first_ == last_; }

private:
    Iterator first_;
    Iterator last_;
};

}  // namespace xmltree_detail

// A node of the tree: an element or a text node (test the kind with dynamic_cast).
class NOX_EXPORT xmlNode {
public:
    virtual ~xmlNode();
    xmlNode(const xmlNode&) = delete;
    xmlNode& operator=(const xmlNode&) = delete;

    // The element this node is a child of; null for the root and for a node not yet added.
    xmlElement* Parent() const { return parent_; }

protected:
    xmlNode() = default;

private:
    friend class xmlElement;
    xmlElement* parent_ = nullptr;
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
    xmlNameClass(const xmlTree& tree, std::string name) : tree_(&tree), name_(std::move(name)) {}

private:
    friend class xmlTree;
    const xmlTree* tree_;
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
    using xmlNameClass::xmlNameClass;
};

class NOX_EXPORT xmlAttribute {
public:
    xmlAttribute(const xmlAttribute&) = delete;
    xmlAttribute& operator=(const xmlAttribute&) = delete;

    const xmlAttributeClass& Class() const { return *class_; }
    const std::string& Name() const { return class_->Name(); }
    const std::string& Value() const { return value_; }

private:
    friend class xmlElement;
    xmlAttribute(const xmlAttributeClass& cls, std::string value) : class_(&cls), value_(std::move(value)) {}

    const xmlAttributeClass* class_;
    std::string value_;
};

// An element; created only by xmlTree::AddElement, owned by its parent (or by the tree).
class NOX_EXPORT xmlElement : public xmlNode {
public:
    // Dereferences to `xmlNode*`, in document order.
    using ChildIterator = xmltree_detail::OwnedIterator<xmlNode, xmlNode*>;
    // Dereferences to `const xmlAttribute&`, in the order the attributes were added.
    using AttributeIterator = xmltree_detail::OwnedIterator<xmlAttribute, const xmlAttribute&>;

    ~xmlElement() override;

    const xmlElementClass& Class() const { return *class_; }
    const std::string& Name() const { return class_->Name(); }

    ChildIterator Children_begin() const { return ChildIterator(children_.begin()); }
    ChildIterator Children_end() const { return ChildIterator(children_.end()); }
    xmltree_detail::IteratorRange<ChildIterator> Children() const {
        return {Children_begin(), Children_end()};
    }
    size_t GetNumChildren() const { return children_.size(); }

    // Null when the element has no attribute of that name.
    const xmlAttribute* GetAttribute(std::string_view name) const;
    xmltree_detail::IteratorRange<AttributeIterator> Attributes() const {
        return {AttributeIterator(attributes_.begin()), AttributeIterator(attributes_.end())};
    }

    // Appends `node` as the last child and makes this element its parent. Meant for text
    // nodes; elements are added through xmlTree::AddElement.
    void AddChild(std::unique_ptr<xmlNode> node);

private:
    friend class xmlTree;
    explicit xmlElement(const xmlElementClass& cls) : class_(&cls) {}

    // Returns the new child's index.
    size_t Append(std::unique_ptr<xmlNode> node);
    xmlAttribute* SetAttribute(const xmlAttributeClass& cls, std::string value);

    const xmlElementClass* class_;
    std::vector<std::unique_ptr<xmlNode>> children_;
    std::vector<std::unique_ptr<xmlAttribute>> attributes_;
};

static_assert(std::random_access_iterator<xmlElement::ChildIterator>);
static_assert(std::random_access_iterator<xmlElement::AttributeIterator>);
static_assert(std::ranges::random_access_range<xmltree_detail::IteratorRange<xmlElement::ChildIterator>>);

class NOX_EXPORT xmlTree {
public:
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
    xmlAttribute* AddAttribute(xmlElement* element, xmlAttributeClass* cls, std::string value);

    // Null for an empty tree.
    xmlElement* Root() const { return root_.get(); }

    // Parse failures raise E_FAIL with the line and column (1-based) and the reason; a file
    // that cannot be read raises E_FAIL with the system's reason. Whitespace-only text,
    // comments, processing instructions and the declaration are dropped; adjacent text and
    // CDATA sections become one text node. Documents with a DOCTYPE are rejected.
    static std::unique_ptr<xmlTree> ParseString(std::string_view text);
    static std::unique_ptr<xmlTree> ParseFile(const std::string& path);

    // UTF-8 with an XML declaration and two-space indentation. Elements that contain text
    // are written on one line so that no whitespace is added to their content. Saving a tree
    // without a root raises E_UNEXPECTED.
    std::string SaveString() const;
    // Writes a temporary file beside `path` and renames it over `path`, so a failed save
    // leaves an existing file untouched; failures raise E_FAIL.
    void SaveFile(const std::string& path) const;

private:
    template <class Class>
    using ClassTable = std::map<std::string_view, std::unique_ptr<Class>, std::less<>>;

    template <class Class>
    Class* FindClass(ClassTable<Class>& table, std::string_view name, std::string_view kind);
    void CheckOwned(const xmlNameClass* cls, std::string_view role) const;

    ClassTable<xmlElementClass> elementClasses_;
    ClassTable<xmlAttributeClass> attributeClasses_;
    std::unique_ptr<xmlElement> root_;
};
