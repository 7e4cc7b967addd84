// KMCConfiguration: one snapshot of the lattice occupation at a frame time. The occupation is
// kept as the configuration string exactly as its producer wrote it and read site by site on
// demand; the patch it covers is not persisted but given by the host through Initialise.
#pragma once

#include <string>

#include "configuration/configuration_text.h"
#include "frame/component.h"
#include "frame/parent.h"
#include "vxostrel/configuration.h"
#include "vxostrel/serializer.h"

class NOX_EXPORT KMCConfiguration final
    : public kmc::Component<KMCConfiguration, IVxKMCConfiguration, IVxKMCSerializer> {
public:
    KMC_COMPONENT_CLASS(KMCConfiguration, "Orvanta KMC Configuration");

    // May be called again; the last document given is kept.
    void SetParent(CKMCDocumentsBase* document) { parents_.Link(document); }
    CKMCDocumentsBase* ParentDocument() const { return parents_.Document(); }

    [[nodiscard]] HRESULT Initialise(LONG cellsU, LONG cellsV, LONG sitesPerCell) override;
    [[nodiscard]] HRESULT get_FrameTime(double* time) override;
    [[nodiscard]] HRESULT put_FrameTime(double time) override;
    [[nodiscard]] HRESULT get_Configuration(BSTR* configuration) override;
    [[nodiscard]] HRESULT put_Configuration(BSTR configuration) override;
    [[nodiscard]] HRESULT get_Species(LONG i, LONG j, LONG s, BSTR* species) override;

    [[nodiscard]] HRESULT SaveToXML(IVxOstrelToXML* writer) override;
    [[nodiscard]] HRESULT LoadFromXML(IVxXMLToOstrel* reader) override;

private:
    bool initialised_ = false;
    kmc::PatchSize patch_;
    double frameTime_ = 0.0;
    std::string configuration_;
    // What has been read of configuration_ so far; forgotten whenever the text or the patch changes.
    kmc::ConfigurationText text_;
    kmc::ParentLinks<CKMCDocumentsBase> parents_;
};
