// The links from an object to the objects it belongs to: its host document, the list or object
// that made it (its owner), and the sibling lists it asks. An object holds one ParentLinks with
// its links in the order its SetParent takes them:
//
//   kmc::ParentLinks<KMCSpeciesList> parents_;                                      // an item
//   kmc::ParentLinks<CKMCDocumentsBase, KMCProcessList, KMCInteractionList> parents_;  // top level
//
// Links point without owning, so that an item never keeps its owner alive; a link written
// Counted<T> holds a reference instead, for objects that may outlive the one they point at.
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "nox/comptr.h"
#include "vxostrel/document.h"

namespace kmc {

// Raises E_UNEXPECTED "Parent is already set for <class>.".
[[noreturn]] void ThrowParentAlreadySet(const char* className);

// A link that keeps its target alive.
template <class T>
struct Counted;

namespace detail {

template <class T>
struct LinkSlot {
    using Target = T;
    T* Get() const { return target; }
    void Set(T* pointer) { target = pointer; }
    T* target = nullptr;
};

template <class T>
struct LinkSlot<Counted<T>> {
    using Target = T;
    T* Get() const { return target.Get(); }
    void Set(T* pointer) { target = NoxComPtr<T>(pointer); }
    NoxComPtr<T> target;
};

template <class Link>
using LinkTarget = typename LinkSlot<Link>::Target;

}  // namespace detail

template <class... Links>
class ParentLinks {
    static_assert(sizeof...(Links) > 0, "an object links to at least one parent");

public:
    // For objects linked once, by the owner that made them. The first link tells whether the
    // object is linked: a second call while it is set raises "Parent is already set for
    // <className>." and keeps every link as it was; a first link given as null does not count.
    void LinkOnce(const char* className, detail::LinkTarget<Links>*... targets) {
        if (IsLinked()) ThrowParentAlreadySet(className);
        Link(targets...);
    }
    // For objects the host may link again: replaces every link.
    void Link(detail::LinkTarget<Links>*... targets) { LinkEach(std::index_sequence_for<Links...>{}, targets...); }
    // The owner lets the object go (or goes itself): nothing it pointed at is reachable any more.
    void Unlink() { std::apply([](auto&... slot) { (slot.Set(nullptr), ...); }, slots_); }

    bool IsLinked() const { return std::get<0>(slots_).Get() != nullptr; }

    template <class T>
    T* Get() const {
        return std::get<IndexOf<T>()>(slots_).Get();
    }

    // The linked document, or for an item the document of its owner (the first link).
    CKMCDocumentsBase* Document() const {
        if constexpr ((std::is_same_v<detail::LinkTarget<Links>, CKMCDocumentsBase> || ...)) {
            return Get<CKMCDocumentsBase>();
        } else {
            const auto* owner = std::get<0>(slots_).Get();
            return owner != nullptr ? owner->ParentDocument() : nullptr;
        }
    }

private:
    template <class T>
    static constexpr size_t IndexOf() {
        constexpr std::array<bool, sizeof...(Links)> matches{std::is_same_v<T, detail::LinkTarget<Links>>...};
        for (size_t index = 0; index < matches.size(); ++index)
            if (matches[index]) return index;
        static_assert((std::is_same_v<T, detail::LinkTarget<Links>> || ...), "no link of this type");
        return 0;
    }

    template <size_t... Index>
    void LinkEach(std::index_sequence<Index...>, detail::LinkTarget<Links>*... targets) {
        (std::get<Index>(slots_).Set(targets), ...);
    }

    std::tuple<detail::LinkSlot<Links>...> slots_;
};

}  // namespace kmc
