// Loading and saving large processes documents against a bare pugixml parse and walk of the same
// file, and the peak memory a load needs against the file's size.
#include <malloc.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "process_model.h"
#include "processes_document.h"
#include "ratio_reporter.h"

namespace {

constexpr int kItems = 100'000;

const char* const kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ProcessesDocument Version=\"1.0\">\n";

// Values vary from item to item as a real document's do: names, numbers of several lengths,
// colours.
std::string SpeciesDocument() {
    std::string text = kHead;
    text +=
        "  <Lattice LatticeType=\"Square\" SymmetryGroup=\"p 4 m m\" LatticeU=\"2.77\" LatticeV=\"2.77\" "
        "LatticeTheta=\"90\">\n    <LatticeSiteList NumberOfSites=\"0\" NextSiteLabel=\"1\"/>\n  "
        "</Lattice>\n";
    text += "  <SpeciesList NumberOfSpecies=\"" + std::to_string(kItems) + "\" VacancySymbol=\"V\">\n";
    char line[256];
    for (int i = 0; i < kItems; ++i) {
        std::snprintf(
            line, sizeof line,
            "    <Species Name=\"S%d\" Category=\"%s\" Radius=\"%g\" Charge=\"%d\" Color=\"FF%06X\"/>\n", i,
            i % 3 == 0 ? "Substrate" : "Adsorbate", 0.05 + 0.01 * (i % 317), i % 7 - 3,
            (i * 2654435761u) & 0xFFFFFF);
        text += line;
    }
    return text + "  </SpeciesList>\n</ProcessesDocument>\n";
}

std::string SitesDocument() {
    std::string text = kHead;
    text +=
        "  <Lattice LatticeType=\"Oblique\" SymmetryGroup=\"p 1\" LatticeU=\"2.5\" LatticeV=\"3.1\" "
        "LatticeTheta=\"80\">\n    <LatticeSiteList NumberOfSites=\"" +
        std::to_string(kItems) + "\" NextSiteLabel=\"" + std::to_string(kItems + 1) + "\">\n";
    char line[256];
    for (int i = 0; i < kItems; ++i) {
        std::snprintf(line, sizeof line,
                      "      <LatticeSite Category=\"Adsorption site\" Type=\"%s\" XPosition=\"%.17g\" "
                      "YPosition=\"%g\" Label=\"%d\" Color=\"FF3366CC\"/>\n",
                      i % 2 ? "Hollow" : "Top", (i % 997) / 997.0, (i % 89) / 89.0 + 0.5, i + 1);
        text += line;
    }
    return text + "    </LatticeSiteList>\n  </Lattice>\n</ProcessesDocument>\n";
}

std::string ProcessModelDocument() { return bench::ProcessesDocumentText(25'000); }

// The document written once per process to a file of its own.
struct Document {
    std::string path;
    size_t size;
};

Document Written(const char* name, std::string (*make)()) {
    const std::string text = make();
    Document document{"/tmp/bench_document_io_" + std::to_string(::getpid()) + "_" + name + ".xml",
                      text.size()};
    std::ofstream(document.path, std::ios::binary) << text;
    return document;
}

const Document& Species() {
    static const Document document = Written("species", SpeciesDocument);
    return document;
}

const Document& Sites() {
    static const Document document = Written("sites", SitesDocument);
    return document;
}

const Document& Processes() {
    static const Document document = Written("processes", ProcessModelDocument);
    return document;
}

size_t BareParseAndWalk(const std::string& path) {
    pugi::xml_document document;
    document.load_file(path.c_str());
    // Every name and value is read to its end, as any loader must.
    struct Walker : pugi::xml_tree_walker {
        size_t seen = 0;
        bool for_each(pugi::xml_node& node) override {
            seen += std::strlen(node.name()) + std::strlen(node.value());
            for (pugi::xml_attribute attribute : node.attributes())
                seen += std::strlen(attribute.name()) + std::strlen(attribute.value());
            return true;
        }
    } walker;
    document.traverse(walker);
    return walker.seen;
}

size_t LoadAndSave(const std::string& path) {
    return kmcdoc::ProcessesDocument::Load(path)->SaveToString().size();
}

// Warm: each run reuses the memory the run before it freed. Cold: that memory is handed back to
// the system before each run, as in a program that loads one document, so that both sides pay
// for touching fresh memory (a cost the warm figures leave out, and a large one on virtual
// machines).
enum class Heap { kWarm, kCold };

template <const Document& (*Which)(), size_t (*Work)(const std::string&), Heap heap>
void Timed(benchmark::State& state) {
    const Document& document = Which();
    for (auto _ : state) {
        if (heap == Heap::kCold) {
            state.PauseTiming();
            ::malloc_trim(0);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(Work(document.path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size));
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    }
    return -1;
}

size_t LoadOnly(const std::string& path) { return kmcdoc::ProcessesDocument::Load(path) != nullptr; }

constexpr const char* kPeakFlag = "--peak-growth-of";

// Run in a fresh process (this program started again with kPeakFlag), so that memory freed by
// earlier runs cannot hide any growth: prints by how many bytes the resident set grew at its
// peak while `work` ran.
int PrintPeakGrowth(const std::string& work, const std::string& path) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts at the current size
    const long before = StatusKilobytes("VmRSS:");
    (work == "load" ? LoadOnly : BareParseAndWalk)(path);
    std::printf("%ld\n", 1024 * (StatusKilobytes("VmHWM:") - before));
    return 0;
}

double PeakGrowthBytes(const char* work, const std::string& path) {
    const std::string command =
        std::filesystem::read_symlink("/proc/self/exe").string() + " " + kPeakFlag + " " + work + " " + path;
    FILE* child = ::popen(command.c_str(), "r");
    double grown = -1;
    if (child != nullptr && std::fscanf(child, "%lf", &grown) != 1) grown = -1;
    if (child != nullptr) ::pclose(child);
    return grown;
}

void PeakMemory(benchmark::State& state, const Document& (*which)(), const char* work) {
    const Document& document = which();
    double grown = 0;
    for (auto _ : state) grown = PeakGrowthBytes(work, document.path);
    state.counters["peak_over_file"] = grown / static_cast<double>(document.size);
}

BENCHMARK(Timed<Species, BareParseAndWalk, Heap::kWarm>)
    ->Name("BareParse/Species")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Species, LoadAndSave, Heap::kWarm>)->Name("LoadSave/Species")->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Sites, BareParseAndWalk, Heap::kWarm>)
    ->Name("BareParse/Sites")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Sites, LoadAndSave, Heap::kWarm>)->Name("LoadSave/Sites")->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Processes, BareParseAndWalk, Heap::kWarm>)
    ->Name("BareParse/Processes")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Processes, LoadAndSave, Heap::kWarm>)
    ->Name("LoadSave/Processes")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Species, BareParseAndWalk, Heap::kCold>)
    ->Name("Cold/BareParse/Species")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Species, LoadAndSave, Heap::kCold>)
    ->Name("Cold/LoadSave/Species")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Sites, BareParseAndWalk, Heap::kCold>)
    ->Name("Cold/BareParse/Sites")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Sites, LoadAndSave, Heap::kCold>)->Name("Cold/LoadSave/Sites")->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Processes, BareParseAndWalk, Heap::kCold>)
    ->Name("Cold/BareParse/Processes")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Timed<Processes, LoadAndSave, Heap::kCold>)
    ->Name("Cold/LoadSave/Processes")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PeakMemory, bare_species, Species, "bare")
    ->Name("PeakMemory/BareParse/Species")
    ->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, load_species, Species, "load")->Name("PeakMemory/Load/Species")->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, bare_sites, Sites, "bare")->Name("PeakMemory/BareParse/Sites")->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, load_sites, Sites, "load")->Name("PeakMemory/Load/Sites")->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, bare_processes, Processes, "bare")
    ->Name("PeakMemory/BareParse/Processes")
    ->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, load_processes, Processes, "load")
    ->Name("PeakMemory/Load/Processes")
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == kPeakFlag) return PrintPeakGrowth(argv[2], argv[3]);
    const int status = RunWithRatios(argc, argv,
                                     {{"LoadSave/Species", "BareParse/Species"},
                                      {"LoadSave/Sites", "BareParse/Sites"},
                                      {"LoadSave/Processes", "BareParse/Processes"},
                                      {"Cold/LoadSave/Species", "Cold/BareParse/Species"},
                                      {"Cold/LoadSave/Sites", "Cold/BareParse/Sites"},
                                      {"Cold/LoadSave/Processes", "Cold/BareParse/Processes"}});
    for (const Document* document : {&Species(), &Sites(), &Processes()}) std::remove(document->path.c_str());
    return status;
}
