// The whole-model verdicts of the process list on the generated 25,000-process document: load plus
// all three verdicts against the load alone, and the growth of the uniqueness verdict from 1,000
// to 25,000 processes (target: exponent at most 1.2; load plus verdicts within 5 s).
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "nox/strings.h"
#include "process/process_list.h"
#include "process_model.h"
#include "processes_document.h"
#include "ratio_reporter.h"

namespace {

std::unique_ptr<kmcdoc::ProcessesDocument> Loaded(int processes) {
    return kmcdoc::ProcessesDocument::Parse(bench::ProcessesDocumentText(processes), "generated");
}

// The flag of a verdict; its message is made and dropped as a caller's would be.
using Verdict = HRESULT (KMCProcessList::*)(BSTR*, VARIANT_BOOL*);

bool Holds(KMCProcessList& list, Verdict verdict) {
    NoxBSTR message;
    VARIANT_BOOL holds = VARIANT_FALSE;
    if (FAILED((list.*verdict)(message.Put(), &holds))) throw NoxResult(E_FAIL, "a verdict failed");
    return holds != VARIANT_FALSE;
}

bool AllVerdicts(KMCProcessList& list) {
    return Holds(list, &KMCProcessList::get_AreProcessesValid) &
           Holds(list, &KMCProcessList::get_AreProcessesUnique) &
           Holds(list, &KMCProcessList::get_AreProcessChargesConsistent);
}

void Load(benchmark::State& state) {
    const std::string text = bench::ProcessesDocumentText(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(kmcdoc::ProcessesDocument::Parse(text, "generated"));
}
BENCHMARK(Load)->Arg(25'000)->MinTime(3)->Unit(benchmark::kMillisecond);

void LoadAndVerdicts(benchmark::State& state) {
    const std::string text = bench::ProcessesDocumentText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto document = kmcdoc::ProcessesDocument::Parse(text, "generated");
        if (!AllVerdicts(document->ProcessList())) state.SkipWithError("the generated model should hold");
    }
}
BENCHMARK(LoadAndVerdicts)->Arg(25'000)->MinTime(3)->Unit(benchmark::kMillisecond);

void Verdicts(benchmark::State& state) {
    auto document = Loaded(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(AllVerdicts(document->ProcessList()));
}
BENCHMARK(Verdicts)->Arg(25'000)->Unit(benchmark::kMillisecond);

void Uniqueness(benchmark::State& state) {
    auto document = Loaded(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!Holds(document->ProcessList(), &KMCProcessList::get_AreProcessesUnique))
            state.SkipWithError("the generated processes should be unique");
    }
}
BENCHMARK(Uniqueness)->Arg(1'000)->Arg(5'000)->Arg(25'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, {{"LoadAndVerdicts/25000/min_time:3.000", "Load/25000/min_time:3.000"}},
                         {{"Uniqueness"}});
}
