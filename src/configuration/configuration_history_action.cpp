#include "configuration/configuration_history_action.h"

#include "frame/values.h"
#include "nox/strings.h"
#include "xml/element_io.h"

namespace {
const char* const kElement = "ConfigurationHistoryAction";
const char* const kPairElement = "KVPair";
}  // namespace

HRESULT KMCConfigurationHistoryAction::get_SimulationTime(double* time) {
    return Boundary([&] { *kmc::Out(time) = simulationTime_; });
}

HRESULT KMCConfigurationHistoryAction::put_SimulationTime(double time) {
    return Boundary(
        [&] { Edit([&] { simulationTime_ = kmc::FiniteNumber(time, "action simulation time"); }); });
}

HRESULT KMCConfigurationHistoryAction::get_NumKeyValuePairs(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(pairs_.size()); });
}

HRESULT KMCConfigurationHistoryAction::AddKeyValuePair(BSTR key, double value) {
    return Boundary([&] {
        // A new pair changes the document like any other edit.
        Edit([&] {
            std::string text = kmc::SavableText(key, "key");
            pairs_.push_back({std::move(text), kmc::FiniteNumber(value, "value of a key-value pair")});
        });
    });
}

HRESULT KMCConfigurationHistoryAction::GetKeyValuePair(LONG index, BSTR* key, double* value) {
    return Boundary([&] {
        kmc::Out(key);
        kmc::Out(value);
        if (index < 0 || static_cast<size_t>(index) >= pairs_.size())
            throw NoxResult(E_UNEXPECTED,
                            "Index out of range getting key-value pair from ConfigurationHistoryAction");
        const KeyValuePair& pair = pairs_[static_cast<size_t>(index)];
        *key = NoxBSTR(pair.key).Detach();
        *value = pair.value;
    });
}

HRESULT KMCConfigurationHistoryAction::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Double("SimulationTime", simulationTime_);
        element.Long("NumPairs", static_cast<LONG>(pairs_.size()));
        for (const KeyValuePair& pair : pairs_) {
            kmc::ElementWriter child(writer, kPairElement);
            child.Text("Key", pair.key);
            child.Double("Value", pair.value);
            child.Close();
        }
        element.Close();
    });
}

KMCConfigurationHistoryAction::KeyValuePair KMCConfigurationHistoryAction::ReadPair(IVxXMLToOstrel* reader) {
    // The saved format's sentences name the pair "KeyValuePair" and its attributes as the action's.
    kmc::ElementReader element(reader, kPairElement, "Failed to open KeyValuePair element");
    std::string key =
        element.Text("Key", "Failed to obtain Key attribute from ConfigurationHistoryAction element");
    const double value =
        element.Double("Value", "Failed to obtain Value attribute from ConfigurationHistoryAction element");
    element.Close();
    return {std::move(key), value};
}

HRESULT KMCConfigurationHistoryAction::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        const double time = element.Double("SimulationTime");
        const LONG count = element.Long(
            "NumPairs", "Failed to obtain NumKVPairs attribute from ConfigurationHistoryAction element");
        // The count comes from the file: nothing is sized by it, and the first missing pair ends the load.
        std::vector<KeyValuePair> loaded;
        for (LONG index = 0; index < count; ++index) loaded.push_back(ReadPair(reader));
        if (element.ChildrenRemain())
            throw NoxResult(E_UNEXPECTED,
                            "Unexpected children found for the ConfigurationHistoryAction element");
        element.Close();
        simulationTime_ = time;
        pairs_.insert(pairs_.end(), loaded.begin(), loaded.end());
    });
}
