#include "interaction/interaction_detail.h"

#include "interaction/interaction.h"
#include "lattice/site_specification.h"
#include "nox/strings.h"
#include "xml/element_io.h"

namespace {

constexpr const char* kElement = "InteractionDetail";

// The address in its text form, "( i , j / n )".
std::string AddressText(IVxKMCSiteSpecification* spec) {
    NoxBSTR text;
    nox::Check(spec->get_SiteDetailsAsString(text.Put()));
    return text.ToTString();
}

}  // namespace

CKMCDocumentsBase* KMCInteractionDetail::ParentDocument() const { return parents_.Document(); }

KMCLattice* KMCInteractionDetail::ParentLattice() const {
    return ParentInteraction() != nullptr ? ParentInteraction()->ParentLattice() : nullptr;
}

void KMCInteractionDetail::SetSites(NoxComPtr<IVxKMCSiteSpecification> active,
                                    NoxComPtr<IVxKMCSiteSpecification> interacting) {
    active_ = std::move(active);
    interacting_ = std::move(interacting);
}

void KMCInteractionDetail::RequireActiveSite() const {
    if (!active_) throw NoxResult(E_UNEXPECTED, "Lumetra Interaction Detail has not been initialised.");
}

HRESULT KMCInteractionDetail::Initialise(IVxKMCSiteSpecification* active,
                                         IVxKMCSiteSpecification* interacting) {
    return Boundary([&] {
        if (active == nullptr || interacting == nullptr)
            throw NoxResult(
                E_UNEXPECTED,
                "Active site and Interacting site must both be intialised for a KMCInteractionDetail.");
        SetSites(NoxComPtr<IVxKMCSiteSpecification>(active), NoxComPtr<IVxKMCSiteSpecification>(interacting));
    });
}

HRESULT KMCInteractionDetail::get_ActiveSiteSpecification(IVxKMCSiteSpecification** spec) {
    return Boundary([&] { kmc::HandOut(active_, kmc::Out(spec)); });
}

HRESULT KMCInteractionDetail::get_InteractingSiteSpecification(IVxKMCSiteSpecification** spec) {
    return Boundary([&] { kmc::HandOut(interacting_, kmc::Out(spec)); });
}

HRESULT KMCInteractionDetail::get_SiteSpecification(LONG index, IVxKMCSiteSpecification** spec) {
    return Boundary([&] {
        kmc::Out(spec);
        if (index != 1 && index != 2)
            throw NoxResult(E_UNEXPECTED,
                            "Index for KMCInteractionDetail::get_SiteSpecification must be 1 or 2");
        kmc::HandOut(index == 1 ? active_ : interacting_, spec);
    });
}

HRESULT KMCInteractionDetail::GetValue(BSTR* value, bool forDisplay) {
    return Boundary([&] {
        kmc::Out(value);
        RequireActiveSite();
        *value = NoxBSTR(value_.ValueAsString(forDisplay)).Detach();
    });
}

HRESULT KMCInteractionDetail::PutValue(BSTR value, bool localized) {
    return Boundary([&] {
        Edit([&] {
            if (!IsInitialised())
                throw NoxResult(E_UNEXPECTED, "Lumetra InteractionDetail has not been initialised.");
            value_.SetValue(BSTRToTString(value), KMCExpression::AnyValue, localized);
            if (KMCInteraction* interaction = ParentInteraction()) interaction->ReplicateValue(this);
        });
    });
}

HRESULT KMCInteractionDetail::get_Interaction(BSTR* value) { return GetValue(value, false); }

HRESULT KMCInteractionDetail::put_Interaction(BSTR value) { return PutValue(value, false); }

HRESULT KMCInteractionDetail::get_InteractionForGUI(BSTR* value) { return GetValue(value, true); }

HRESULT KMCInteractionDetail::put_InteractionFromGUI(BSTR value) { return PutValue(value, true); }

HRESULT KMCInteractionDetail::get_InteractionDistance(double* distance) {
    return Boundary([&] {
        kmc::Out(distance);
        RequireActiveSite();
        nox::Check(active_->get_Distance(interacting_.Get(), distance));
    });
}

HRESULT KMCInteractionDetail::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        // Refused before the element is opened: a half-written pair could not be read back.
        if (!IsInitialised())
            throw NoxResult(E_UNEXPECTED,
                            "Lumetra Interaction Detail has not been initialised and cannot be saved.");
        kmc::ElementWriter element(writer, kElement);
        element.Text("ActiveSite", AddressText(active_.Get()));
        element.Text("InteractingSite", AddressText(interacting_.Get()));
        element.Text("InteractionValue", value_.ValueAsString(false));
        element.Close();
    });
}

HRESULT KMCInteractionDetail::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        const std::string active = element.Text("ActiveSite");
        const std::string interacting = element.Text("InteractingSite");
        KMCExpression value = value_;
        value.SetValue(element.Text("InteractionValue"), KMCExpression::AnyValue, false);
        element.Close();
        // The element brings its own pair of addresses: addresses the detail held may be shared
        // with other details, which must not move with it.
        auto address = [&](const std::string& text) {
            NoxComPtr<KMCSiteSpecification> spec = KMCSiteSpecification::Create();
            spec->SetParent(nullptr, ParentLattice());
            spec->SetAddress(KMCSiteSpecification::ParseSiteDetails(text));
            return NoxComPtr<IVxKMCSiteSpecification>(spec.Get());
        };
        SetSites(address(active), address(interacting));
        value_ = std::move(value);
    });
}
