#include "render_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <utility>

#include "configuration/configuration.h"
#include "configuration_document.h"
#include "lattice/lattice.h"
#include "model_document.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "process/process_list.h"
#include "processes_document.h"
#include "property_read.h"
#include "species/species_list.h"
#include "svg_picture.h"
#include "xyz_file.h"

namespace kmcdoc {
namespace {

enum class Format { Svg, Xyz };

Format FormatOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".svg") return Format::Svg;
    if (extension == ".xyz") return Format::Xyz;
    throw NoxResult(E_INVALIDARG,
                    "Cannot tell what to write to " + path + ": its name must end in .svg or .xyz.");
}

// OUT with "-<number>" before its extension.
std::string Numbered(const std::string& path, LONG number) {
    const size_t dot = path.rfind('.');
    return path.substr(0, dot) + "-" + std::to_string(number) + path.substr(dot);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) throw NoxResult(E_FAIL, "Cannot write " + path + ".");
}

std::string LatticeTitle(IVxKMCLattice& lattice) {
    return "Lattice: " + ReadText(lattice, &IVxKMCLattice::get_LatticeType) + ", " +
           ReadText(lattice, &IVxKMCLattice::get_SymmetryGroup);
}

std::string CellsText(const CellRange& cells) {
    return NoxFormat("%1 x %2 cells") << cells.countI << cells.countJ;
}

std::string GeometryText(const LatticeLayout& layout, const CellRange& cells) {
    return NoxFormat("a = %1, b = %2, angle %3 degrees, %4 site(s) per cell; %5")
           << layout.u << layout.v << std::round(layout.theta * 180 / std::numbers::pi * 1e6) / 1e6
           << static_cast<LONG>(layout.sites.size()) << CellsText(cells);
}

// Raised: a patch of more sites than kmcdoc render draws.
void CheckPatchSize(const CellRange& cells, size_t sitesPerCell) {
    const long long sites = 1LL * cells.countI * cells.countJ * static_cast<long long>(sitesPerCell);
    if (sites > kMaxPatchSites)
        throw NoxResult(E_INVALIDARG, NoxFormat("The patch has %1 sites, more than kmcdoc render draws (%2); "
                                                "choose fewer cells with --cells.")
                                          << sites << kMaxPatchSites);
}

// The atoms of `cells` in a new model document, one template per unit-cell site.
ModelPatch SitePatch(IModelDocumentRoot& model, KMCLattice& lattice, const CellRange& cells) {
    const LatticeLayout layout = ReadLayout(lattice);
    CheckPatchSize(cells, layout.sites.size());
    const std::vector<std::string> names = DefineSiteTemplates(model, lattice, layout);
    return DisplayPatch(model, layout, cells,
                        [&](LONG, LONG, LONG n) { return names[static_cast<size_t>(n - 1)]; });
}

std::string RenderLattice(KMCLattice& lattice, const RenderRequest& request, Format format) {
    const NoxComPtr<IModelDocumentRoot> model = NewModelDocument();
    const ModelPatch patch = SitePatch(*model, lattice, {0, 0, request.cellsU, request.cellsV});
    WriteText(request.out, format == Format::Xyz ? PatchXyz(patch)
                                                 : LatticeSvg(patch, LatticeTitle(lattice),
                                                              GeometryText(patch.layout, patch.cells) +
                                                                  ", sites of cell (0, 0) numbered"));
    return request.out + ": the lattice, " + CellsText(patch.cells);
}

// The first and the number of cells along one direction: from `low` to `high`, widened about
// its middle to at least `least`. Raised: a span wider than kmcdoc render draws.
std::pair<LONG, LONG> Span(long long low, long long high, LONG least, LONG process) {
    long long count = high - low + 1;
    if (count > kMaxCellsOnASide)
        throw NoxResult(E_INVALIDARG,
                        NoxFormat("Process %1 spans %2 cells, more than kmcdoc render draws on a "
                                  "side (%3).")
                            << process << count << kMaxCellsOnASide);
    if (count < least) low -= (least - count) / 2, count = least;
    return {static_cast<LONG>(low), static_cast<LONG>(count)};
}

// The cells that hold the process, its symmetry images and cell (0, 0), at least columns x rows.
CellRange Covering(const ProcessDrawing& process, LONG columns, LONG rows) {
    long long iLow = 0, iHigh = 0, jLow = 0, jHigh = 0;
    auto cover = [&](const std::vector<DrawnSite>& sites) {
        for (const DrawnSite& site : sites) {
            iLow = std::min<long long>(iLow, site.i), iHigh = std::max<long long>(iHigh, site.i);
            jLow = std::min<long long>(jLow, site.j), jHigh = std::max<long long>(jHigh, site.j);
        }
    };
    cover(process.sites);
    for (const auto& image : process.images) cover(image);
    const auto [firstI, countI] = Span(iLow, iHigh, columns, process.index);
    const auto [firstJ, countJ] = Span(jLow, jHigh, rows, process.index);
    return {firstI, firstJ, countI, countJ};
}

std::string SymmetryText(const ProcessDrawing& process) {
    if (!process.symmetryProblem.empty()) return "symmetry: " + process.symmetryProblem;
    std::string operators;
    for (LONG index : process.symmetryIndices) operators += " " + std::to_string(index);
    return NoxFormat("%1 symmetry cop(ies), operators%2")
           << static_cast<LONG>(process.symmetryIndices.size()) << operators;
}

std::string ProcessSubtitle(const ProcessDrawing& process) {
    if (process.sites.empty()) return "The process has no sites to draw.";
    return (process.description.empty() ? "" : process.description + "; ") + SymmetryText(process);
}

std::string RenderProcess(ProcessesDocument& document, LONG index, const RenderRequest& request,
                          const std::string& path) {
    const ProcessDrawing process = ReadProcessDrawing(document.ProcessList(), index);
    const NoxComPtr<IModelDocumentRoot> model = NewModelDocument();
    const ModelPatch patch =
        SitePatch(*model, document.Lattice(), Covering(process, request.cellsU, request.cellsV));
    WriteText(path, ProcessSvg(patch, process, ProcessSubtitle(process)));
    return NoxFormat("%1: process %2 (%3)") << path << index << process.identifier;
}

LONG ProcessNumber(const std::string& text) {
    LONG number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size() || number < 1)
        throw NoxResult(E_INVALIDARG,
                        "--process takes a process number counted from 1, or \"all\", not \"" + text + "\".");
    return number;
}

std::vector<std::string> RenderProcesses(ProcessesDocument& document, const RenderRequest& request,
                                         Format format) {
    if (format != Format::Svg)
        throw NoxResult(E_INVALIDARG, "A process is drawn as SVG only: name the output .svg.");
    if (request.process != "all")
        return {RenderProcess(document, ProcessNumber(request.process), request, request.out)};
    std::vector<std::string> written;
    for (LONG index = 1, count = ProcessCount(document.ProcessList()); index <= count; ++index)
        written.push_back(RenderProcess(document, index, request, Numbered(request.out, index)));
    if (written.empty()) written.push_back(request.file + " holds no processes: nothing written");
    return written;
}

// A colour three quarters of the way to white (red in the low byte).
LONG Lighter(LONG color) {
    LONG lighter = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const LONG value = (color >> (8 * channel)) & 0xFF;
        lighter |= (value + (255 - value) * 3 / 4) << (8 * channel);
    }
    return lighter;
}

// The part of the configuration's patch to draw. Raised: more sites than kmcdoc render draws.
CellRange SnapshotCells(const ConfigurationDocument& document, const RenderRequest& request) {
    CellRange cells{0, 0, document.CellsU(), document.CellsV()};
    if (request.cellsGiven)
        cells.countI = std::min(cells.countI, request.cellsU),
        cells.countJ = std::min(cells.countJ, request.cellsV);
    CheckPatchSize(cells, static_cast<size_t>(document.SitesPerCell()));
    return cells;
}

// What occupies each site of the cells, row by row, cell by cell, site by site.
std::vector<std::string> Occupants(IVxKMCConfiguration& configuration, const CellRange& cells,
                                   LONG sitesPerCell, LONG number) {
    std::vector<std::string> occupants;
    try {
        for (LONG j = 0; j < cells.countJ; ++j)
            for (LONG i = 0; i < cells.countI; ++i)
                for (LONG s = 0; s < sitesPerCell; ++s) {
                    NoxBSTR entry;
                    nox::Check(configuration.get_Species(i, j, s, entry.Put()));
                    occupants.push_back(entry.ToTString());
                }
    } catch (const NoxResult& failure) {
        throw NoxResult(failure.Code(), NoxFormat("Configuration %1 cannot be read: %2")
                                            << number << failure.Description());
    }
    return occupants;
}

// A template for each occupant: a species in its colour and radius (kept from overlapping its
// neighbours), the vacancy light, anything else the list does not name grey.
void DefineOccupantTemplates(IModelDocumentRoot& model, IVxKMCSpeciesList& species,
                             const LatticeLayout& layout, const std::vector<std::string>& occupants) {
    const std::string vacancy = ReadText(species, &IVxKMCSpeciesList::get_VacancySymbol);
    const LONG vacancyColor = Read<LONG>(species, &IVxKMCSpeciesList::get_VacancyColor);
    const double mark = MarkRadius(layout), largest = 0.45 * layout.SiteSpacing();
    for (const std::string& name : std::set<std::string>(occupants.begin(), occupants.end())) {
        NoxComPtr<IVxKMCSpecies> found;
        nox::Check(species.get_ItemByName(NoxBSTR(name).Get(), found.Put()));
        if (found) {
            const double radius = Read<double>(*found, &IVxKMCSpecies::get_Radius);
            DefineTemplate(model, name, radius > 0 ? std::min(radius, largest) : mark,
                           Read<LONG>(*found, &IVxKMCSpecies::get_Color));
        } else {
            DefineTemplate(model, name, mark, name == vacancy ? Lighter(vacancyColor) : 0x999999);
        }
    }
}

std::string RenderConfiguration(ConfigurationDocument& document, const RenderRequest& request,
                                Format format) {
    const LONG number = *request.configuration, count = static_cast<LONG>(document.Configurations().size());
    if (number < 1 || number > count)
        throw NoxResult(E_INVALIDARG,
                        NoxFormat("The document has %1 configuration(s); there is no configuration %2.")
                            << count << number);
    KMCConfiguration& configuration = *document.Configurations()[static_cast<size_t>(number - 1)];
    const CellRange cells = SnapshotCells(document, request);
    const LONG perCell = document.SitesPerCell();
    const std::vector<std::string> occupants = Occupants(configuration, cells, perCell, number);
    const NoxComPtr<IModelDocumentRoot> model = NewModelDocument();
    const LatticeLayout layout = ReadLayout(document.Lattice());
    DefineOccupantTemplates(*model, document.SpeciesList(), layout, occupants);
    const ModelPatch patch = DisplayPatch(*model, layout, cells, [&](LONG i, LONG j, LONG n) {
        return occupants[static_cast<size_t>((j * cells.countI + i) * perCell + n - 1)];
    });
    const double time = Read<double>(configuration, &IVxKMCConfiguration::get_FrameTime);
    const std::string title = NoxFormat("Configuration %1 at frame time %2") << number << time;
    WriteText(request.out,
              format == Format::Xyz
                  ? PatchXyz(patch, "Time=" + nox::FormatDouble(time))
                  : SnapshotSvg(patch, title, LatticeTitle(document.Lattice()) + "; " + CellsText(cells)));
    return request.out + ": " + title;
}

}  // namespace

std::vector<std::string> Render(const RenderRequest& request) {
    const Format format = FormatOf(request.out);
    const std::unique_ptr<xmlTree> tree =
        xmlTree::ParseFile(request.file, static_cast<size_t>(request.maxInputSize));
    if (tree->Root() != nullptr && tree->Root()->Name() == kConfigurationRoot) {
        const auto document = ConfigurationDocument::FromTree(*tree, request.file);
        if (!request.process.empty())
            throw NoxResult(E_INVALIDARG, "--process needs a processes document; " + request.file +
                                              " is a configuration document.");
        if (request.configuration) return {RenderConfiguration(*document, request, format)};
        return {RenderLattice(document->Lattice(), request, format)};
    }
    const auto document = ProcessesDocument::FromTree(*tree, request.file);
    if (request.configuration)
        throw NoxResult(E_INVALIDARG, "--configuration needs a configuration document; " + request.file +
                                          " is a processes document.");
    if (!request.process.empty()) return RenderProcesses(*document, request, format);
    return {RenderLattice(document->Lattice(), request, format)};
}

}  // namespace kmcdoc
