#include "process/process_list.h"

#include <algorithm>

#include "nox/strings.h"
#include "xml/element_io.h"
#include "xml/read_items.h"
#include "xml/utils.h"

namespace {
constexpr const char* kElement = "ProcessList";
}  // namespace

LONG KMCProcessList::HighestSiteIndex() const {
    LONG highest = -1;
    for (const auto& process : processes_) highest = std::max(highest, process->HighestSiteIndex());
    return highest;
}

bool KMCProcessList::IsSpeciesUsed(const std::string& name) const {
    return processes_.FindFirst([&](const KMCProcess& process) { return process.IsSpeciesUsed(name); }) != nullptr;
}

NoxComPtr<KMCProcess> KMCProcessList::NewProcess() {
    NoxComPtr<KMCProcess> process = KMCProcess::Create();
    process->SetParent(this);
    return process;
}

void KMCProcessList::CheckIndex(LONG index) const {
    if (index < 0 || static_cast<size_t>(index) >= processes_.Count())
        throw NoxResult(E_UNEXPECTED, "Index into process list is invalid.");
}

HRESULT KMCProcessList::CreateProcess(BSTR definition, IVxKMCProcess** process) {
    return Boundary([&] {
        kmc::Out(process);
        Edit([&] {
            NoxComPtr<KMCProcess> created = NewProcess();
            // A process whose definition is refused is kept as it stands: callers find it in the
            // list and define it there.
            (void)created->InitialiseFromString(definition);
            processes_.Append(created);
            kmc::HandOut(created, process);
        });
    });
}

HRESULT KMCProcessList::get_Count(LONG* count) {
    return Boundary([&] { *kmc::Out(count) = static_cast<LONG>(processes_.Count()); });
}

HRESULT KMCProcessList::get_Item(LONG index, IVxKMCProcess** process) {
    return Boundary([&] {
        kmc::Out(process);
        CheckIndex(index);
        kmc::HandOut(&processes_[static_cast<size_t>(index)], process);
    });
}

HRESULT KMCProcessList::get_HighestPriority(LONG* priority) {
    return Boundary([&] {
        kmc::Out(priority);
        for (const auto& process : processes_)
            if (process->SpecificationType() == vxKMCRateSpecificationTypeImmediate)
                *priority = std::max(*priority, process->Priority());
    });
}

HRESULT KMCProcessList::ClearProcessList() {
    return Boundary([&] { processes_.Clear(); });
}

HRESULT KMCProcessList::RemoveProcess(LONG index) {
    return Boundary([&] {
        Edit([&] {
            CheckIndex(index);
            processes_.RemoveAt(static_cast<size_t>(index));
        });
    });
}

HRESULT KMCProcessList::get_HighestSiteIndex(LONG* index) {
    return Boundary([&] {
        kmc::Out(index);
        *index = HighestSiteIndex();
    });
}

HRESULT KMCProcessList::get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) {
    return Boundary([&] {
        kmc::Out(used);
        *used = kmc::AsFlag(IsSpeciesUsed(BSTRToTString(name)));
    });
}

HRESULT KMCProcessList::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Long("NumberOfProcesses", static_cast<LONG>(processes_.Count()));
        for (const auto& process : processes_) OstrelUtils::SaveXML(process.Get(), writer);
        element.Close();
    });
}

HRESULT KMCProcessList::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        kmc::OwnedItems<KMCProcess> loaded = kmc::ReadItems<KMCProcess>(
            element, "NumberOfProcesses", "Unexpected children found for the ProcessList element",
            [&] { return NewProcess(); });
        element.Close();
        // The list changes only once the whole element has been read.
        processes_ = std::move(loaded);
    });
}
