// The cost of calling a member by name through IDispatch::Invoke (the name looked up once)
// against the same call through the vtable, and of a BSTR round trip.
#include "nox/strings.h"
#include "ratio_reporter.h"
#include "xml/writer.h"

namespace {

// CloseObject on a writer with nothing open does no work: what is measured is the call itself.
void VtableCall(benchmark::State& state) {
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    IVxOstrelToXML* target = writer.Get();
    for (auto _ : state) benchmark::DoNotOptimize(target->CloseObject());
}
BENCHMARK(VtableCall);

void InvokeByName(benchmark::State& state) {
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    NoxComPtr<IDispatch> dispatch = writer.As<IDispatch>();
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"CloseObject")};
    DISPID id = DISPID_UNKNOWN;
    dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (auto _ : state) {
        VARIANT result;
        VariantInit(&result);
        benchmark::DoNotOptimize(
            dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
    }
}
BENCHMARK(InvokeByName);

void Utf8Copy(benchmark::State& state) {
    std::string text = "Orvanta KMC Species list with a name of ordinary length";
    for (auto _ : state) benchmark::DoNotOptimize(std::string(text));
}
BENCHMARK(Utf8Copy);

void BstrRoundTrip(benchmark::State& state) {
    std::string text = "Orvanta KMC Species list with a name of ordinary length";
    for (auto _ : state) benchmark::DoNotOptimize(NoxBSTR(text).ToTString());
}
BENCHMARK(BstrRoundTrip);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, {{"InvokeByName", "VtableCall"}, {"BstrRoundTrip", "Utf8Copy"}});
}
