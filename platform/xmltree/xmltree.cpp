#include "xmltree/xmltree.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "nox/result.h"
#include "xmltree/xmlbuild.h"
#include "xmltree/xmlchars.h"

namespace {

constexpr std::string_view kAttributeName = "XML attribute name";

// Small enough that a chunk fits where the parser's freed pages were.
constexpr size_t kChunkSize = 32 * 1024;

// The first block of an array that cannot grow in place.
constexpr size_t kFirstCapacity = 4;

}  // namespace

namespace xmltree_detail {

void* Arena::Allocate(size_t bytes, size_t alignment) {
    const size_t padding = (alignment - reinterpret_cast<uintptr_t>(next_) % alignment) % alignment;
    if (left_ >= bytes + padding) {
        std::byte* start = next_ + padding;
        next_ = start + bytes;
        left_ -= bytes + padding;
        return start;
    }
    // A large block gets a chunk of its own and the current chunk stays in use for small ones.
    if (bytes > kChunkSize / 4) {
        chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
        return chunks_.back().get();
    }
    chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kChunkSize));
    next_ = chunks_.back().get() + bytes;
    left_ = kChunkSize - bytes;
    return chunks_.back().get();
}

bool Arena::Extend(const void* end, size_t bytes) {
    if (end != next_ || left_ < bytes) return false;
    next_ += bytes;
    left_ -= bytes;
    return true;
}

std::string_view Arena::Store(std::string_view text) {
    if (text.empty()) return {"", 0};
    auto* copy = static_cast<char*>(Allocate(text.size(), 1));
    std::memcpy(copy, text.data(), text.size());
    return {copy, text.size()};
}

template <class T>
void ArenaArray<T>::Reserve(Arena& arena, size_t capacity) {
    if (capacity <= capacity_) return;
    if (capacity > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
    auto* items = static_cast<T*>(arena.Allocate(capacity * sizeof(T), alignof(T)));
    std::uninitialized_copy_n(data_, size_, items);
    data_ = items;
    capacity_ = static_cast<uint32_t>(capacity);
}

template <class T>
void ArenaArray<T>::MakeRoom(Arena& arena) {
    if (size_ < capacity_) return;
    if (data_ != nullptr && capacity_ < std::numeric_limits<uint32_t>::max() &&
        arena.Extend(data_ + capacity_, sizeof(T))) {
        ++capacity_;
        return;
    }
    Reserve(arena, std::max<size_t>(kFirstCapacity, 2 * size_t{capacity_}));
}

template <class T>
T& ArenaArray<T>::Append(Arena& arena, const T& item) {
    MakeRoom(arena);
    return *new (data_ + size_++) T(item);
}

template <class Class>
Class* ClassTable<Class>::Find(std::string_view name, uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    for (size_t i = Start(hash);; i = (i + 1) & (slots_.size() - 1)) {
        const Slot& slot = slots_[i];
        if (slot.cls == nullptr) return nullptr;
        if (slot.hash == hash && slot.cls->Name() == name) return slot.cls;
    }
}

template <class Class>
void ClassTable<Class>::Place(const Slot& slot) {
    size_t i = Start(slot.hash);
    while (slots_[i].cls != nullptr) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = slot;
}

template <class Class>
void ClassTable<Class>::MakeRoom(size_t count) {
    if (2 * (size_ + count) <= slots_.size()) return;
    const size_t capacity = std::max<size_t>(16, std::bit_ceil(2 * (size_ + count)));
    std::vector<Slot> previous = std::exchange(slots_, std::vector<Slot>(capacity, Slot{0, nullptr}));
    shift_ = static_cast<unsigned>(64 - std::countr_zero(capacity));
    for (const Slot& slot : previous)
        if (slot.cls != nullptr) Place(slot);
}

template <class Class>
void ClassTable<Class>::Insert(Class* cls, uint64_t hash) {
    MakeRoom();
    Place({hash, cls});
    ++size_;
}

}  // namespace xmltree_detail

xmlNode::~xmlNode() = default;

const xmlElement* xmlNode::AsElement() const {
    return element_ ? static_cast<const xmlElement*>(this) : nullptr;
}

const xmlText* xmlNode::AsText() const { return element_ ? nullptr : static_cast<const xmlText*>(this); }

xmlText::xmlText(std::string text) : xmlNode(false), text_(std::move(text)) {
    xmltree::CheckCharacterData(text_, [] { return std::string("XML text"); });
}

size_t xmlElement::Find(std::string_view name) const {
    const std::span<const xmlAttribute> attributes = Attributes();
    const auto found = std::ranges::find(attributes, name, &xmlAttribute::Name);
    return static_cast<size_t>(found - attributes.begin());
}

const xmlAttribute* xmlElement::GetAttribute(std::string_view name) const {
    const size_t position = Find(name);
    return position < attributes_.Size() ? &Attributes()[position] : nullptr;
}

void xmlElement::Append(xmlNode& node) {
    children_.Append(Tree().arena_, &node);
    node.parent_ = this;
}

void xmlElement::AddChild(std::unique_ptr<xmlNode> node) {
    if (!node)
        throw NoxResult(E_INVALIDARG, "AddChild was given no node to add to element \"" + Name() + "\"");
    xmlNode& added = *Tree().texts_.emplace_back(std::move(node));
    Append(added);
}

// Everything that can fail happens before the attribute is appended, so a failure adds nothing.
xmlAttribute& xmlElement::AppendAttribute(const xmlAttributeClass& cls, std::string_view value) {
    xmlTree& tree = Tree();
    const std::string_view stored = tree.values_.Store(value);
    return attributes_.Append(tree.arena_, xmlAttribute(cls, stored));
}

xmlAttribute& xmlElement::SetAttribute(const xmlAttributeClass& cls, std::string_view value) {
    const std::span<xmlAttribute> attributes = attributes_.Items();
    const auto found = std::ranges::find(attributes, &cls, [](const xmlAttribute& a) { return a.class_; });
    if (found == attributes.end()) return AppendAttribute(cls, value);
    found->value_ = Tree().values_.Store(value);
    return *found;
}

xmlTree::xmlTree() = default;

xmlTree::~xmlTree() {
    elementClasses_.ForEach([](xmlElementClass& cls) { cls.~xmlElementClass(); });
    attributeClasses_.ForEach([](xmlAttributeClass& cls) { cls.~xmlAttributeClass(); });
}

template <class Class>
Class* xmlTree::FindClass(xmltree_detail::ClassTable<Class>& table, std::string_view name,
                          std::string_view kind) {
    if (Class* found = table.Find(name, table.Hash(name))) return found;
    return NewClass(table, name, kind);
}

// Everything that can fail happens before the class is entered, so a failure enters nothing.
template <class Class>
Class* xmlTree::NewClass(xmltree_detail::ClassTable<Class>& table, std::string_view name,
                         std::string_view kind) {
    xmltree::CheckName(name, kind);
    table.MakeRoom();
    auto* cls = new (arena_.Allocate(sizeof(Class), alignof(Class))) Class(*this, std::string(name));
    table.Insert(cls, table.Hash(name));
    return cls;
}

xmlElementClass* xmlTree::FindElementClass(std::string_view name) {
    return FindClass(elementClasses_, name, "XML element name");
}

xmlAttributeClass* xmlTree::FindAttributeClass(std::string_view name) {
    return FindClass(attributeClasses_, name, kAttributeName);
}

void xmlTree::CheckOwned(const xmlNameClass* cls, std::string_view role) const {
    if (cls == nullptr) throw NoxResult(E_INVALIDARG, "No " + std::string(role) + " was given");
    if (cls->tree_ != this) {
        throw NoxResult(E_INVALIDARG,
                        "The " + std::string(role) + " \"" + cls->Name() + "\" belongs to another XML tree");
    }
}

xmlElement* xmlTree::NewElement(xmlElement* parent, const xmlElementClass& cls) {
    if (parent == nullptr && root_ != nullptr)
        throw NoxResult(E_UNEXPECTED, "The XML tree already has a root element");
    if (parent != nullptr) parent->children_.MakeRoom(arena_);
    auto* element = new (arena_.Allocate(sizeof(xmlElement), alignof(xmlElement))) xmlElement(cls);
    if (parent != nullptr) {
        parent->Append(*element);
    } else {
        root_ = element;
    }
    return element;
}

xmlElement* xmlTree::AddElement(xmlElement* parent, xmlElementClass* cls, size_t* index) {
    CheckOwned(cls, "element class");
    if (parent != nullptr) CheckOwned(&parent->Class(), "parent element");
    xmlElement* element = NewElement(parent, *cls);
    if (index != nullptr) *index = parent != nullptr ? parent->GetNumChildren() - 1 : 0;
    return element;
}

xmlAttribute* xmlTree::AddAttribute(xmlElement* element, xmlAttributeClass* cls, std::string_view value) {
    if (element == nullptr) throw NoxResult(E_INVALIDARG, "No element was given for the attribute");
    CheckOwned(&element->Class(), "element");
    CheckOwned(cls, "attribute class");
    xmltree::CheckCharacterData(value, [cls] { return "value of XML attribute \"" + cls->Name() + "\""; });
    return &element->SetAttribute(*cls, value);
}

namespace xmltree_detail {

// An element's attribute names are all different, so as many names may be new to the tree.
xmlElement* TreeBuilder::AddElement(xmlTree& tree, xmlElement* parent, std::string_view name, size_t line,
                                    size_t attributes, size_t children) {
    tree.attributeClasses_.MakeRoom(attributes);
    xmlElement* element = tree.NewElement(parent, *tree.FindElementClass(name));
    element->attributes_.Reserve(tree.arena_, attributes);
    element->children_.Reserve(tree.arena_, children);
    element->line_ = static_cast<uint32_t>(std::min<size_t>(line, std::numeric_limits<uint32_t>::max()));
    return element;
}

xmlAttributeClass* TreeBuilder::KnownAttributeClass(const xmlTree& tree, std::string_view name) {
    return tree.attributeClasses_.Find(name, tree.attributeClasses_.Hash(name));
}

bool TreeBuilder::HasAttribute(const xmlAttributeClass& cls, const xmlElement& element) {
    return cls.parsedOn_ == &element;
}

void TreeBuilder::AddNewAttribute(xmlTree& tree, xmlElement& element, xmlAttributeClass* known,
                                  std::string_view name, std::string_view value) {
    xmlAttributeClass& cls =
        known != nullptr ? *known : *tree.NewClass(tree.attributeClasses_, name, kAttributeName);
    xmltree::CheckCharacterData(value, [&cls] { return "value of XML attribute \"" + cls.Name() + "\""; });
    element.AppendAttribute(cls, value);
    cls.parsedOn_ = &element;
}

}  // namespace xmltree_detail
