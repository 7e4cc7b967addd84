// KMCProcessList: the processes of one document in order. It is the only place where processes
// are made, hands them out by position, and answers what the host asks before it writes the
// simulation engine's input: are the enabled processes valid, unique under the lattice's
// symmetry and consistent in charge; which is the highest priority and site number in use; does
// any process use a species.
#pragma once

#include <string>

#include "frame/component.h"
#include "frame/owned_items.h"
#include "frame/parent.h"
#include "process/process.h"
#include "vxostrel/process.h"
#include "vxostrel/serializer.h"

class KMCLattice;
class KMCSpeciesList;

class NOX_EXPORT KMCProcessList final
    : public kmc::Component<KMCProcessList, IVxKMCProcessList, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCProcessList, "Orvanta KMC Process List");

    // Links the list to its document, the document's lattice and its species list, which its
    // processes reach through it. Any of them may be null; `host` is not kept. A later call
    // replaces all three links.
    void SetParent(CKMCDocumentsBase* document, IUnknown* host, KMCLattice* lattice, KMCSpeciesList* speciesList) {
        parents_.Link(document, lattice, speciesList);
    }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }
    KMCLattice* ParentLattice() const { return parents_.Get<KMCLattice>(); }
    KMCSpeciesList* SpeciesList() const { return parents_.Get<KMCSpeciesList>(); }

    size_t Count() const { return processes_.Count(); }
    KMCProcess& Process(size_t index) const { return processes_[index]; }
    // The largest site number any process uses, enabled or not; -1 when none does.
    LONG HighestSiteIndex() const;
    // Whether any process, enabled or not, uses the species `name`.
    bool IsSpeciesUsed(const std::string& name) const;

    [[nodiscard]] HRESULT CreateProcess(BSTR definition, IVxKMCProcess** process) override;
    [[nodiscard]] HRESULT get_Count(LONG* count) override;
    [[nodiscard]] HRESULT get_Item(LONG index, IVxKMCProcess** process) override;
    [[nodiscard]] HRESULT get_HighestPriority(LONG* priority) override;
    [[nodiscard]] HRESULT ClearProcessList() override;
    [[nodiscard]] HRESULT get_AreProcessesUnique(BSTR* message, VARIANT_BOOL* unique) override;
    [[nodiscard]] HRESULT RemoveProcess(LONG index) override;
    [[nodiscard]] HRESULT get_HighestSiteIndex(LONG* index) override;
    [[nodiscard]] HRESULT get_IsSpeciesUsed(BSTR name, VARIANT_BOOL* used) override;
    [[nodiscard]] HRESULT get_AreProcessesValid(BSTR* message, VARIANT_BOOL* valid) override;
    [[nodiscard]] HRESULT get_AreProcessChargesConsistent(BSTR* message, VARIANT_BOOL* consistent) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    // The texts of the verdicts: empty when the verdict holds.
    std::string ReplicationReport() const;
    std::string ValidityReport() const;
    std::string ChargeReport() const;

    NoxComPtr<KMCProcess> NewProcess();
    void CheckIndex(LONG index) const;

    kmc::OwnedItems<KMCProcess> processes_;
    kmc::ParentLinks<CKMCDocumentsBase, KMCLattice, KMCSpeciesList> parents_;
};
