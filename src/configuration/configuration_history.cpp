#include "configuration/configuration_history.h"

#include <optional>

#include "frame/values.h"
#include "nox/strings.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace {
const char* const kElement = "ConfigurationHistory";
}  // namespace

NoxComPtr<KMCConfigurationHistoryAction> KMCConfigurationHistory::NewAction() const {
    NoxComPtr<KMCConfigurationHistoryAction> action = KMCConfigurationHistoryAction::Create();
    action->SetParent(ParentDocument());
    return action;
}

HRESULT KMCConfigurationHistory::get_Task(BSTR* task) {
    return Boundary([&] { kmc::OutText(task, task_); });
}

HRESULT KMCConfigurationHistory::put_Task(BSTR task) {
    return Boundary([&] { Edit([&] { task_ = kmc::SavableText(task, "task"); }); });
}

HRESULT KMCConfigurationHistory::get_ProcessesDocID(BSTR* id) {
    return Boundary([&] { kmc::OutText(id, processesDocumentId_); });
}

HRESULT KMCConfigurationHistory::put_ProcessesDocID(BSTR id) {
    return Boundary(
        [&] { Edit([&] { processesDocumentId_ = kmc::SavableText(id, "processes document identifier"); }); });
}

HRESULT KMCConfigurationHistory::AddReaction(BSTR reaction) {
    return Boundary([&] { Edit([&] { reactions_.push_back(BSTRToTString(reaction)); }); });
}

HRESULT KMCConfigurationHistory::get_NumReactions(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(reactions_.size()); });
}

HRESULT KMCConfigurationHistory::get_Reaction(LONG index, BSTR* reaction) {
    return Boundary([&] {
        kmc::Out(reaction);
        if (index < 0 || static_cast<size_t>(index) >= reactions_.size())
            throw NoxResult(E_UNEXPECTED, "Invalid index passed into KMCConfigurationHistory::get_Reaction");
        *reaction = NoxBSTR(reactions_[static_cast<size_t>(index)]).Detach();
    });
}

HRESULT KMCConfigurationHistory::get_SimulationTime(double* time) {
    return Boundary([&] { *kmc::Out(time) = simulationTime_; });
}

HRESULT KMCConfigurationHistory::AddAction(double time, IVxKMCConfigurationHistoryAction** action) {
    return Boundary([&] {
        kmc::Out(action);
        Edit([&] {
            if (time < 0)
                throw NoxResult(E_UNEXPECTED,
                                "Simulation Time must not be negative for a ConfigurationHistory Action");
            const double total =
                kmc::FiniteNumber(simulationTime_ + kmc::FiniteNumber(time, "action simulation time"),
                                  "simulation time of the history");
            NoxComPtr<KMCConfigurationHistoryAction> created = NewAction();
            created->SetInitialTime(time);
            actions_.Append(created);
            simulationTime_ = total;
            kmc::HandOut(created, action);
        });
    });
}

HRESULT KMCConfigurationHistory::get_NumActions(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(actions_.Count()); });
}

HRESULT KMCConfigurationHistory::get_Action(LONG index, IVxKMCConfigurationHistoryAction** action) {
    return Boundary([&] {
        kmc::Out(action);
        if (index < 0 || static_cast<size_t>(index) >= actions_.Count())
            throw NoxResult(E_UNEXPECTED, "Invalid index into History Actions list.");
        kmc::HandOut(&actions_[static_cast<size_t>(index)], action);
    });
}

HRESULT KMCConfigurationHistory::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Text("Task", task_);
        element.Text("ProcessesDocumentID", processesDocumentId_);
        element.Double("SimulationTime", simulationTime_);
        element.Long("NumberHistoryItems", static_cast<LONG>(actions_.Count()));
        for (const auto& action : actions_) OstrelUtils::SaveXML(action.Get(), writer);
        element.Close();
    });
}

HRESULT KMCConfigurationHistory::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        std::optional<kmc::ElementReader> element = kmc::ElementReader::OpenIfPresent(reader, kElement);
        if (!element) return;
        // The saved format's sentences name the element in two ways; callers match them as written.
        std::string task =
            element->Text("Task", "Failed to obtain Task attribute from Configuration History element");
        std::string id = element->Text(
            "ProcessesDocumentID",
            "Failed to obtain ProcessesDocumentID attribute from Configuration History element");
        const double time = element->Double(
            "SimulationTime", "Failed to obtain SimulationTime attribute from Configuration element");
        const LONG count = element->Long(
            "NumberHistoryItems", "Failed to obtain NumberHistoryItems attribute from Configuration element");
        Actions loaded = kmc::ReadCountedItems<KMCConfigurationHistoryAction>(
            *element, count, "Unexpected children found for the ConfigurationHistory element",
            [&] { return NewAction(); });
        element->Close();
        task_ = std::move(task);
        processesDocumentId_ = std::move(id);
        simulationTime_ = time;
        actions_.AppendAll(std::move(loaded));
    });
}
