// KMCInteractionDetail: one ordered pair of lattice sites of a lateral interaction (the site of
// the active species and the site of the interacting species, as addresses relative to one
// reference cell) with the interaction value for that pair. Its interaction makes it, groups it
// into a symmetry class, and copies a value set on it to the other details of its class.
#pragma once

#include "frame/component.h"
#include "frame/parent.h"
#include "process/expression.h"
#include "vxostrel/interaction.h"
#include "vxostrel/serializer.h"

class KMCInteraction;
class KMCLattice;

class NOX_EXPORT KMCInteractionDetail final
    : public kmc::Component<KMCInteractionDetail, IVxKMCInteractionDetail, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCInteractionDetail, "Orvanta KMC Interaction Detail");

    // Raised: E_UNEXPECTED "Parent is already set for KMCInteractionDetail." when linked already.
    void SetParent(KMCInteraction* interaction) { parents_.LinkOnce(kClassName, interaction); }
    // Called by the interaction when the detail leaves it: a detail a client still holds then
    // changes alone.
    void LeaveOwner() {
        parents_.Unlink();
        symmetryClass_ = 0;
    }
    KMCInteraction* ParentInteraction() const { return parents_.Get<KMCInteraction>(); }
    CKMCDocumentsBase* ParentDocument() const;

    // Whether the detail holds both sites.
    bool IsInitialised() const { return active_ && interacting_; }
    IVxKMCSiteSpecification* ActiveSite() const { return active_.Get(); }
    IVxKMCSiteSpecification* InteractingSite() const { return interacting_.Get(); }
    // Holds both addresses (shared with whoever else holds them), without asking the document:
    // for the interaction that generates the detail.
    void SetSites(NoxComPtr<IVxKMCSiteSpecification> active, NoxComPtr<IVxKMCSiteSpecification> interacting);
    // The symmetry class its interaction gave it; 0 for none.
    LONG SymmetryClass() const { return symmetryClass_; }
    void SetSymmetryClass(LONG symmetryClass) { symmetryClass_ = symmetryClass; }

    [[nodiscard]] HRESULT Initialise(IVxKMCSiteSpecification* active,
                                     IVxKMCSiteSpecification* interacting) override;
    [[nodiscard]] HRESULT get_ActiveSiteSpecification(IVxKMCSiteSpecification** spec) override;
    [[nodiscard]] HRESULT get_InteractingSiteSpecification(IVxKMCSiteSpecification** spec) override;
    [[nodiscard]] HRESULT get_SiteSpecification(LONG index, IVxKMCSiteSpecification** spec) override;
    [[nodiscard]] HRESULT get_Interaction(BSTR* value) override;
    [[nodiscard]] HRESULT put_Interaction(BSTR value) override;
    [[nodiscard]] HRESULT get_InteractionForGUI(BSTR* value) override;
    [[nodiscard]] HRESULT put_InteractionFromGUI(BSTR value) override;
    [[nodiscard]] HRESULT get_InteractionDistance(double* distance) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // The lattice of the interaction list the detail belongs to; null when it belongs to none.
    KMCLattice* ParentLattice() const;
    // Raised: E_UNEXPECTED "Lumetra Interaction Detail has not been initialised." unless the
    // active site is set.
    void RequireActiveSite() const;
    HRESULT GetValue(BSTR* value, bool forDisplay);
    HRESULT PutValue(BSTR value, bool localized);

    NoxComPtr<IVxKMCSiteSpecification> active_;
    NoxComPtr<IVxKMCSiteSpecification> interacting_;
    KMCExpression value_{std::string("0.0")};
    LONG symmetryClass_ = 0;
    kmc::ParentLinks<KMCInteraction> parents_;
};
