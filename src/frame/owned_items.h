// OwnedItems<T>: the ordered items of a list (species, sites, processes, ...), each held by one
// reference. An item leaves only through this class, and every item that leaves (removed,
// cleared, replaced, or dropped with the holder) is told so through its LeaveOwner(), so that an
// item a client still holds never reaches an owner that may be gone.
//
// Changes are all-or-nothing where an operation may fail part-way: a new set of items is built
// aside and swapped in whole, or appends run under an Appending scope that takes them back
// unless committed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "nox/comptr.h"

namespace kmc {

template <class T>
class OwnedItems {
public:
    using Items = std::vector<NoxComPtr<T>>;

    OwnedItems() = default;
    OwnedItems(OwnedItems&& other) noexcept = default;
    // The items held until now leave; the other holder's items are held from now on.
    OwnedItems& operator=(OwnedItems&& other) noexcept {
        if (this != &other) {
            Clear();
            items_ = std::move(other.items_);
        }
        return *this;
    }
    OwnedItems(const OwnedItems&) = delete;
    OwnedItems& operator=(const OwnedItems&) = delete;
    ~OwnedItems() { Clear(); }

    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    T& operator[](size_t index) const { return *items_[index]; }
    typename Items::const_iterator begin() const { return items_.begin(); }
    typename Items::const_iterator end() const { return items_.end(); }

    // The first item that satisfies `match`, or null.
    template <class Match>
    T* FindFirst(Match match) const {
        auto found = std::find_if(items_.begin(), items_.end(), [&](const NoxComPtr<T>& item) { return match(*item); });
        return found != items_.end() ? found->Get() : nullptr;
    }

    void Append(NoxComPtr<T> item) { items_.push_back(std::move(item)); }
    // Takes over every item of `other`, in order, after the items held now; they move without
    // leaving.
    void AppendAll(OwnedItems&& other) {
        items_.reserve(items_.size() + other.items_.size());
        for (NoxComPtr<T>& item : other.items_) items_.push_back(std::move(item));
        other.items_.clear();
    }

    void RemoveAt(size_t index) {
        NoxComPtr<T> removed = std::move(items_[index]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
        removed->LeaveOwner();
    }
    // Removes the items at these indices, given in ascending order; later items move down.
    void RemoveAt(const std::vector<size_t>& ascendingIndices) {
        for (auto index = ascendingIndices.rbegin(); index != ascendingIndices.rend(); ++index) RemoveAt(*index);
    }
    // Removes the first item that satisfies `match`; false when there is none.
    template <class Match>
    bool RemoveFirst(Match match) {
        auto found = std::find_if(items_.begin(), items_.end(), [&](const NoxComPtr<T>& item) { return match(*item); });
        if (found == items_.end()) return false;
        RemoveAt(static_cast<size_t>(std::distance(items_.begin(), found)));
        return true;
    }
    // Removes this very item (never another one that compares equal to it).
    bool Remove(const T& item) {
        return RemoveFirst([&](const T& candidate) { return &candidate == &item; });
    }

    // Keeps the first `count` items; the rest leave.
    void TruncateTo(size_t count) {
        if (count >= items_.size()) return;
        for (size_t index = count; index < items_.size(); ++index) items_[index]->LeaveOwner();
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(count), items_.end());
    }
    void Clear() { TruncateTo(0); }

    // Takes back every item appended while it lives, unless Commit() was called: an operation
    // that appends step by step and fails part-way leaves the list as it was.
    class Appending {
    public:
        explicit Appending(OwnedItems& items) : items_(items), count_(items.Count()) {}
        ~Appending() {
            if (!committed_) items_.TruncateTo(count_);
        }
        Appending(const Appending&) = delete;
        Appending& operator=(const Appending&) = delete;

        void Commit() { committed_ = true; }

    private:
        OwnedItems& items_;
        size_t count_;
        bool committed_ = false;
    };

private:
    Items items_;
};

}  // namespace kmc
