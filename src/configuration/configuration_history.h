// KMCConfigurationHistory: the history that accompanies the configurations of a run: its task,
// the identifier of the processes document it used, reaction texts (held in memory only, never
// saved), the simulation time and the timed actions that add up to it.
#pragma once

#include <string>
#include <vector>

#include "configuration/configuration_history_action.h"
#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "vxostrel/configuration.h"
#include "vxostrel/serializer.h"

class NOX_EXPORT KMCConfigurationHistory final
    : public kmc::Component<KMCConfigurationHistory, IVxKMCConfigurationHistory, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCConfigurationHistory, "Orvanta KMC Configuration History");

    // May be called again; the last document given is kept. Actions made from now on belong to it.
    void SetParent(CKMCDocumentsBase* document) { parents_.Link(document); }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }

    [[nodiscard]] HRESULT get_Task(BSTR* task) override;
    [[nodiscard]] HRESULT put_Task(BSTR task) override;
    [[nodiscard]] HRESULT get_ProcessesDocID(BSTR* id) override;
    [[nodiscard]] HRESULT put_ProcessesDocID(BSTR id) override;
    [[nodiscard]] HRESULT AddReaction(BSTR reaction) override;
    [[nodiscard]] HRESULT get_NumReactions(LONG* count) override;
    [[nodiscard]] HRESULT get_Reaction(LONG index, BSTR* reaction) override;
    [[nodiscard]] HRESULT get_SimulationTime(double* time) override;
    [[nodiscard]] HRESULT AddAction(double time, IVxKMCConfigurationHistoryAction** action) override;
    [[nodiscard]] HRESULT get_NumActions(LONG* count) override;
    [[nodiscard]] HRESULT get_Action(LONG index, IVxKMCConfigurationHistoryAction** action) override;

    // Loading an absent element succeeds and reads nothing: a configuration document need not
    // have a history.
    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    using Actions = kmc::OwnedItems<KMCConfigurationHistoryAction>;

    NoxComPtr<KMCConfigurationHistoryAction> NewAction() const;

    std::string task_;
    std::string processesDocumentId_;
    std::vector<std::string> reactions_;
    double simulationTime_ = 0.0;
    Actions actions_;
    kmc::ParentLinks<CKMCDocumentsBase> parents_;
};
