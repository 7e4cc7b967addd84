// KMCConfigurationHistoryAction: one timed action of a simulation run, with key/value details
// (keys need not be unique) in the order they were added.
#pragma once

#include <string>
#include <vector>

#include "frame/component.h"
#include "frame/parent.h"
#include "vxostrel/configuration.h"
#include "vxostrel/serializer.h"

class NOX_EXPORT KMCConfigurationHistoryAction final
    : public kmc::Component<KMCConfigurationHistoryAction, IVxKMCConfigurationHistoryAction,
                            IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCConfigurationHistoryAction, "Orvanta KMC Configuration History Action");

    // May be called again; the last document given is kept.
    void SetParent(CKMCDocumentsBase* document) { parents_.Link(document); }
    // Called by the history that held the action when it lets the action go.
    void LeaveOwner() { parents_.Unlink(); }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    // Sets the time of a new action for the history that makes it, inside the history's own edit.
    void SetInitialTime(double time) { simulationTime_ = time; }

    [[nodiscard]] HRESULT get_SimulationTime(double* time) override;
    [[nodiscard]] HRESULT put_SimulationTime(double time) override;
    [[nodiscard]] HRESULT get_NumKeyValuePairs(LONG* count) override;
    [[nodiscard]] HRESULT AddKeyValuePair(BSTR key, double value) override;
    [[nodiscard]] HRESULT GetKeyValuePair(LONG index, BSTR* key, double* value) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    struct KeyValuePair {
        std::string key;
        double value;
    };

    static KeyValuePair ReadPair(IVxXMLToOstrel* reader);

    double simulationTime_ = 0.0;
    std::vector<KeyValuePair> pairs_;
    kmc::ParentLinks<CKMCDocumentsBase> parents_;
};
