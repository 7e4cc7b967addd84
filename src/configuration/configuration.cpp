#include "configuration/configuration.h"

#include "frame/values.h"
#include "nox/strings.h"
#include "xml/element_io.h"

namespace {
const char* const kElement = "Configuration";
}  // namespace

HRESULT KMCConfiguration::Initialise(LONG cellsU, LONG cellsV, LONG sitesPerCell) {
    return Boundary([&] {
        if (cellsU < 1 || cellsV < 1 || sitesPerCell < 1)
            throw NoxResult(E_UNEXPECTED, "Invalid sizes when trying to intialise a configuration");
        patch_ = {cellsU, cellsV, sitesPerCell};
        initialised_ = true;
        text_.Reset();
    });
}

HRESULT KMCConfiguration::get_FrameTime(double* time) {
    return Boundary([&] { *kmc::Out(time) = frameTime_; });
}

HRESULT KMCConfiguration::put_FrameTime(double time) {
    return Boundary([&] { Edit([&] { frameTime_ = kmc::FiniteNumber(time, "frame time"); }); });
}

HRESULT KMCConfiguration::get_Configuration(BSTR* configuration) {
    return Boundary([&] { kmc::OutText(configuration, configuration_); });
}

HRESULT KMCConfiguration::put_Configuration(BSTR configuration) {
    return Boundary([&] {
        Edit([&] {
            configuration_ = kmc::SavableText(configuration, "configuration string");
            text_.Reset();
        });
    });
}

HRESULT KMCConfiguration::get_Species(LONG i, LONG j, LONG s, BSTR* species) {
    return Boundary([&] {
        kmc::Out(species);
        // Said first: before Initialise every index would be out of range, which hides the cause.
        if (!initialised_)
            throw NoxResult(E_UNEXPECTED, "KMCConfiguration must be initialised before access.");
        if (i < 0 || i >= patch_.cellsU || j < 0 || j >= patch_.cellsV || s < 0 || s >= patch_.sitesPerCell)
            throw NoxResult(E_UNEXPECTED, "Invalid index for KMCConfiguration::get_Species");
        *species = NoxBSTR(text_.Entry(configuration_, patch_, i, j, s)).Detach();
    });
}

HRESULT KMCConfiguration::SaveToXML(IVxOstrelToXML* writer) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementWriter element(writer, kElement);
        element.Double("FrameTime", frameTime_);
        element.Text("Config", configuration_);
        element.Close();
    });
}

HRESULT KMCConfiguration::LoadFromXML(IVxXMLToOstrel* reader) {
    return Boundary<IVxKMCSerializer>([&] {
        kmc::ElementReader element(reader, kElement);
        const double frameTime = element.Double("FrameTime");
        std::string configuration = element.Text("Config");
        element.Close();
        frameTime_ = frameTime;
        configuration_ = std::move(configuration);
        text_.Reset();
    });
}
