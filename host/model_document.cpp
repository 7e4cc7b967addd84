#include "model_document.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "com/implements.h"
#include "frame/component.h"
#include "frame/values.h"
#include "nox/strings.h"

namespace kmcdoc {
namespace {

constexpr const char* kTopClassName = "Model";

// Every method body runs in the boundary frame, with its interface as the error source.
template <class Interface, class Body>
[[nodiscard]] HRESULT Guarded(Body&& body) noexcept {
    return nox::Boundary(GUID_NULL, IidOf<Interface>(), std::forward<Body>(body));
}

// What the document and everything it made share: the events switch and the event count.
struct ModelState {
    bool eventsEnabled = true;
    LONG eventCount = 0;
    void Changed() {
        if (eventsEnabled) ++eventCount;
    }
};

class ModelTemplate final : public nox::Implements<IVxProperty> {
public:
    explicit ModelTemplate(std::string name) : name_(std::move(name)) {}
    void Set(double radius, LONG color) {
        radius_ = radius;
        color_ = color & 0x00FFFFFF;
    }

    HRESULT get_Name(BSTR* name) override {
        return Guarded<IVxProperty>([&] { kmc::OutText(name, name_); });
    }
    HRESULT get_Radius(double* radius) override {
        return Guarded<IVxProperty>([&] { *kmc::Out(radius) = radius_; });
    }
    HRESULT get_Color(LONG* color) override {
        return Guarded<IVxProperty>([&] { *kmc::Out(color) = color_; });
    }

private:
    std::string name_;
    double radius_ = 0;
    LONG color_ = 0;
};

class ModelObject final : public nox::Implements<IVxObject> {
public:
    ModelObject(std::string className, std::shared_ptr<ModelState> state)
        : className_(std::move(className)), state_(std::move(state)) {}
    ~ModelObject() override {
        for (const auto& child : children_) child->parent_ = nullptr;
    }

    bool IsAtom() const { return className_ == kAtomClassName; }
    bool IsTop() const { return className_ == kTopClassName; }
    bool BelongsTo(const std::shared_ptr<ModelState>& state) const { return state_ == state; }
    // Whether `object` is this object or below it.
    bool Holds(const ModelObject& object) const {
        for (const ModelObject* at = &object; at != nullptr; at = at->parent_)
            if (at == this) return true;
        return false;
    }
    bool IsAttached() const { return parent_ != nullptr || IsTop(); }
    void AttachBelow(ModelObject& parent) {
        parent.children_.emplace_back(this);
        parent_ = &parent;
    }
    // Adds the atoms at and below this object, depth first.
    void CollectAtoms(std::vector<ModelObject*>& atoms) {
        if (IsAtom()) atoms.push_back(this);
        for (const auto& child : children_) child->CollectAtoms(atoms);
    }
    // Detaches every atom below this object (with what is below it); whether there was one.
    bool RemoveAtoms() {
        bool removed = false;
        std::erase_if(children_, [&](const NoxComPtr<ModelObject>& child) {
            if (!child->IsAtom()) {
                removed = child->RemoveAtoms() || removed;
                return false;
            }
            child->parent_ = nullptr;
            removed = true;
            return true;
        });
        return removed;
    }

    HRESULT get_ClassName(BSTR* name) override {
        return Guarded<IVxObject>([&] { kmc::OutText(name, className_); });
    }
    HRESULT get_Parent(IVxObject** parent) override {
        return Guarded<IVxObject>([&] { kmc::HandOut(parent_, kmc::Out(parent)); });
    }
    HRESULT get_ChildCount(LONG* count) override {
        return Guarded<IVxObject>([&] { *kmc::Out(count) = static_cast<LONG>(children_.size()); });
    }
    HRESULT get_Child(LONG index, IVxObject** child) override {
        return Guarded<IVxObject>([&] {
            kmc::Out(child);
            if (index < 0 || static_cast<size_t>(index) >= children_.size())
                throw NoxResult(E_INVALIDARG, "Invalid index for the children of a model object.");
            kmc::HandOut(children_[static_cast<size_t>(index)], child);
        });
    }
    HRESULT GetPosition(double* x, double* y, double* z) override {
        return Guarded<IVxObject>([&] {
            *kmc::Out(x) = position_[0];
            *kmc::Out(y) = position_[1];
            *kmc::Out(z) = position_[2];
        });
    }
    HRESULT SetPosition(double x, double y, double z) override {
        return Guarded<IVxObject>([&] {
            position_ = {kmc::FiniteNumber(x, "x"), kmc::FiniteNumber(y, "y"), kmc::FiniteNumber(z, "z")};
            state_->Changed();
        });
    }
    HRESULT get_Template(IVxProperty** property) override {
        return Guarded<IVxObject>([&] { kmc::HandOut(template_, kmc::Out(property)); });
    }
    HRESULT putref_Template(IVxProperty* property) override {
        return Guarded<IVxObject>([&] {
            template_ = NoxComPtr<IVxProperty>(property);
            state_->Changed();
        });
    }
    HRESULT get_Selected(VARIANT_BOOL* selected) override {
        return Guarded<IVxObject>([&] { *kmc::Out(selected) = kmc::AsFlag(selected_); });
    }
    HRESULT put_Selected(VARIANT_BOOL selected) override {
        return Guarded<IVxObject>([&] { SetFlag(selected_, selected); });
    }
    HRESULT get_Visible(VARIANT_BOOL* visible) override {
        return Guarded<IVxObject>([&] { *kmc::Out(visible) = kmc::AsFlag(visible_); });
    }
    HRESULT put_Visible(VARIANT_BOOL visible) override {
        return Guarded<IVxObject>([&] { SetFlag(visible_, visible); });
    }

private:
    void SetFlag(bool& flag, VARIANT_BOOL value) {
        flag = value == VARIANT_TRUE;
        state_->Changed();
    }

    std::string className_;
    std::shared_ptr<ModelState> state_;
    std::array<double, 3> position_{};
    NoxComPtr<IVxProperty> template_;
    bool selected_ = false;
    bool visible_ = true;
    ModelObject* parent_ = nullptr;  // holds this object
    std::vector<NoxComPtr<ModelObject>> children_;
};

// The document's own object behind an interface pointer. Raised: E_INVALIDARG for null and for
// an object of another document or of another kind.
ModelObject& Own(IVxObject* object, const std::shared_ptr<ModelState>& state) {
    auto* own = dynamic_cast<ModelObject*>(object);
    if (own == nullptr || !own->BelongsTo(state))
        throw NoxResult(E_INVALIDARG, "The object does not belong to this model document.");
    return *own;
}

class ChildrenProperty final : public nox::Implements<IVxObjectProperty> {
public:
    explicit ChildrenProperty(std::shared_ptr<ModelState> state) : state_(std::move(state)) {}

    HRESULT Attach(IVxObject* object, IVxObject* parent, IVxObject** attached) override {
        return Guarded<IVxObjectProperty>([&] {
            kmc::Out(attached);
            ModelObject& child = Own(object, state_);
            ModelObject& holder = Own(parent, state_);
            if (child.IsAttached()) throw NoxResult(E_UNEXPECTED, "The object is attached already.");
            if (child.Holds(holder))
                throw NoxResult(E_INVALIDARG, "An object cannot be attached below itself.");
            child.AttachBelow(holder);
            state_->Changed();
            kmc::HandOut(&child, attached);
        });
    }

private:
    std::shared_ptr<ModelState> state_;
};

class ModelScope final : public nox::Implements<IModelScope> {
public:
    explicit ModelScope(std::vector<NoxComPtr<IVxObject>> objects) : objects_(std::move(objects)) {}

    HRESULT get_Count(LONG* count) override {
        return Guarded<IModelScope>([&] { *kmc::Out(count) = static_cast<LONG>(objects_.size()); });
    }
    HRESULT get_Item(LONG index, IVxObject** object) override {
        return Guarded<IModelScope>([&] {
            kmc::Out(object);
            if (index < 0 || static_cast<size_t>(index) >= objects_.size())
                throw NoxResult(E_INVALIDARG, "Invalid index for a model scope.");
            kmc::HandOut(objects_[static_cast<size_t>(index)], object);
        });
    }

private:
    std::vector<NoxComPtr<IVxObject>> objects_;
};

using Objects = std::vector<NoxComPtr<IVxObject>>;

Objects Members(IModelScope& scope) {
    LONG count = 0;
    nox::Check(scope.get_Count(&count));
    Objects members(static_cast<size_t>(count));
    for (LONG index = 0; index < count; ++index) nox::Check(scope.get_Item(index, members[index].Put()));
    return members;
}

void AddTree(const NoxComPtr<IVxObject>& object, std::set<IVxObject*>& seen, Objects& tree) {
    if (!seen.insert(object.Get()).second) return;
    tree.push_back(object);
    LONG count = 0;
    nox::Check(object->get_ChildCount(&count));
    for (LONG index = 0; index < count; ++index) {
        NoxComPtr<IVxObject> child;
        nox::Check(object->get_Child(index, child.Put()));
        AddTree(child, seen, tree);
    }
}

Objects DownTree(const Objects& objects) {
    Objects tree;
    std::set<IVxObject*> seen;
    for (const auto& object : objects) AddTree(object, seen, tree);
    return tree;
}

bool Passes(IVxObject& object, vxModelScopeFilter filter) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    NoxBSTR className;
    switch (filter) {
        case FilterIsSelected:
            nox::Check(object.get_Selected(&flag));
            return flag == VARIANT_TRUE;
        case FilterIsVisible:
            nox::Check(object.get_Visible(&flag));
            return flag == VARIANT_TRUE;
        case FilterAtom:
            nox::Check(object.get_ClassName(className.Put()));
            return className.ToTString() == kAtomClassName;
        default:
            throw NoxResult(E_INVALIDARG, "Unknown scope filter.");
    }
}

Objects Filtered(const Objects& objects, vxModelScopeFilter filter) {
    if (filter == DownTreeCoercion) return DownTree(objects);
    Objects kept;
    for (const auto& object : objects)
        if (Passes(*object, filter)) kept.push_back(object);
    return kept;
}

class ModelDocument final : public nox::Implements<IModelDocumentRoot, IModelDocumentEvents,
                                                   IModelAtomisticContent, IModelScopeManager, IVxUtility> {
public:
    ModelDocument()
        : state_(std::make_shared<ModelState>()),
          top_(NoxComPtr<ModelObject>::Attach(new ModelObject(kTopClassName, state_))),
          children_(NoxComPtr<ChildrenProperty>::Attach(new ChildrenProperty(state_))) {}

    // IModelDocumentRoot
    HRESULT get_Utility(IVxUtility** utility) override {
        return Guarded<IModelDocumentRoot>(
            [&] { kmc::HandOut(static_cast<IVxUtility*>(this), kmc::Out(utility)); });
    }
    HRESULT get_ScopeManager(IModelScopeManager** manager) override {
        return Guarded<IModelDocumentRoot>(
            [&] { kmc::HandOut(static_cast<IModelScopeManager*>(this), kmc::Out(manager)); });
    }
    HRESULT get_TopObject(IVxObject** top) override {
        return Guarded<IModelDocumentRoot>([&] { kmc::HandOut(top_, kmc::Out(top)); });
    }
    HRESULT get_ChildrenProperty(IVxObjectProperty** property) override {
        return Guarded<IModelDocumentRoot>([&] { kmc::HandOut(children_, kmc::Out(property)); });
    }

    // IModelDocumentEvents
    HRESULT put_EventsEnabled(VARIANT_BOOL enabled) override {
        return Guarded<IModelDocumentEvents>([&] { state_->eventsEnabled = enabled == VARIANT_TRUE; });
    }
    HRESULT get_EventsEnabled(VARIANT_BOOL* enabled) override {
        return Guarded<IModelDocumentEvents>(
            [&] { *kmc::Out(enabled) = kmc::AsFlag(state_->eventsEnabled); });
    }
    HRESULT get_EventCount(LONG* count) override {
        return Guarded<IModelDocumentEvents>([&] { *kmc::Out(count) = state_->eventCount; });
    }

    // IModelAtomisticContent
    HRESULT get_AtomCount(LONG* count) override {
        return Guarded<IModelAtomisticContent>([&] { *kmc::Out(count) = static_cast<LONG>(Atoms().size()); });
    }
    HRESULT get_Atom(LONG index, IVxObject** atom) override {
        return Guarded<IModelAtomisticContent>([&] {
            kmc::Out(atom);
            const std::vector<ModelObject*> atoms = Atoms();
            if (index < 0 || static_cast<size_t>(index) >= atoms.size())
                throw NoxResult(E_INVALIDARG, "Invalid index for the atoms of a model document.");
            kmc::HandOut(atoms[static_cast<size_t>(index)], atom);
        });
    }
    HRESULT ClearContent() override {
        return Guarded<IModelAtomisticContent>([&] {
            if (top_->RemoveAtoms()) state_->Changed();
        });
    }

    // IModelScopeManager
    HRESULT get_DocumentScope(IModelScope** scope) override {
        return Guarded<IModelScopeManager>([&] {
            kmc::Out(scope);
            *scope = new ModelScope({NoxComPtr<IVxObject>(top_.Get())});
        });
    }
    HRESULT ProcessScope(IModelScope* scope, vxModelScopeFilter filter, IModelScope** result) override {
        return Guarded<IModelScopeManager>([&] {
            kmc::Out(result);
            Objects kept = Filtered(Members(*CheckNullDereference(scope)), filter);
            *result = new ModelScope(std::move(kept));
        });
    }

    // IVxUtility
    HRESULT CreateObject(BSTR className, IVxObject** object) override {
        return Guarded<IVxUtility>([&] {
            kmc::Out(object);
            const std::string name = BSTRToTString(className);
            if (name != kAtomClassName && name != kGroupClassName)
                throw NoxResult(E_INVALIDARG,
                                "The model document makes no objects of the class \"" + name + "\".");
            *object = new ModelObject(name, state_);
        });
    }
    HRESULT DefineTemplate(BSTR name, double radius, LONG color, IVxProperty** property) override {
        return Guarded<IVxUtility>([&] {
            kmc::Out(property);
            const std::string key = BSTRToTString(name);
            if (key.empty()) throw NoxResult(E_INVALIDARG, "A template needs a name.");
            if (kmc::FiniteNumber(radius, "radius") < 0)
                throw NoxResult(E_INVALIDARG, "A template's radius cannot be negative.");
            auto [entry, added] = templates_.try_emplace(key);
            if (added) entry->second = NoxComPtr<ModelTemplate>::Attach(new ModelTemplate(key));
            entry->second->Set(radius, color);
            state_->Changed();
            kmc::HandOut(entry->second, property);
        });
    }
    HRESULT GetTemplate(BSTR name, IVxProperty** property) override {
        return Guarded<IVxUtility>([&] {
            kmc::Out(property);
            const std::string key = BSTRToTString(name);
            const auto found = templates_.find(key);
            if (found == templates_.end())
                throw NoxResult(E_INVALIDARG, "The model document has no template named \"" + key + "\".");
            kmc::HandOut(found->second, property);
        });
    }

private:
    std::vector<ModelObject*> Atoms() const {
        std::vector<ModelObject*> atoms;
        top_->CollectAtoms(atoms);
        return atoms;
    }

    std::shared_ptr<ModelState> state_;
    NoxComPtr<ModelObject> top_;
    NoxComPtr<ChildrenProperty> children_;
    std::map<std::string, NoxComPtr<ModelTemplate>> templates_;
};

}  // namespace

NoxComPtr<IModelDocumentRoot> NewModelDocument() {
    return NoxComPtr<IModelDocumentRoot>::Attach(new ModelDocument());
}

}  // namespace kmcdoc
