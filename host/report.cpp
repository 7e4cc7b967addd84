#include "report.h"

#include "interaction/interaction_list.h"
#include "json.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "process/process_list.h"
#include "processes_document.h"
#include "species/species.h"
#include "species/species_list.h"

namespace kmcdoc {
namespace {

template <class Value, class Object, class Getter>
Value Read(Object* object, Getter getter) {
    Value value{};
    nox::Check((object->*getter)(&value));
    return value;
}

template <class Object, class Getter>
std::string ReadText(Object* object, Getter getter) {
    NoxBSTR text;
    nox::Check((object->*getter)(text.Put()));
    return text.ToTString();
}

SpeciesSummary SummarizeSpecies(IVxKMCSpecies* species) {
    return {ReadText(species, &IVxKMCSpecies::get_Name), ReadText(species, &IVxKMCSpecies::get_Category),
            Read<double>(species, &IVxKMCSpecies::get_Radius),
            Read<LONG>(species, &IVxKMCSpecies::get_Charge),
            KMCSpecies::FromInterface(species).Color().ToString()};
}

SiteSummary SummarizeSite(LONG index, IVxKMCLatticeSite* site) {
    return {index + 1,
            ReadText(site, &IVxKMCLatticeSite::get_Category),
            ReadText(site, &IVxKMCLatticeSite::get_Type),
            Read<double>(site, &IVxKMCLatticeSite::get_XPosition),
            Read<double>(site, &IVxKMCLatticeSite::get_YPosition),
            Read<LONG>(site, &IVxKMCLatticeSite::get_Label),
            KMCLatticeSite::FromInterface(site).Color().ToString()};
}

LatticeSummary SummarizeLattice(IVxKMCLattice* lattice) {
    LatticeSummary summary{ReadText(lattice, &IVxKMCLattice::get_LatticeType),
                           ReadText(lattice, &IVxKMCLattice::get_SymmetryGroup),
                           Read<double>(lattice, &IVxKMCLattice::get_LengthU),
                           Read<double>(lattice, &IVxKMCLattice::get_LengthV),
                           Read<double>(lattice, &IVxKMCLattice::get_AngleTheta),
                           Read<LONG>(lattice, &IVxKMCLattice::get_OperatorCount),
                           Read<double>(lattice, &IVxKMCLattice::get_CellArea),
                           {}};
    NoxComPtr<IVxKMCLatticeSiteList> sites;
    nox::Check(lattice->get_LatticeSiteList(sites.Put()));
    for (LONG i = 0, count = Read<LONG>(sites.Get(), &IVxKMCLatticeSiteList::get_Count); i < count; ++i) {
        NoxComPtr<IVxKMCLatticeSite> site;
        nox::Check(sites->get_Item(i, site.Put()));
        summary.sites.push_back(SummarizeSite(i, site.Get()));
    }
    return summary;
}

}  // namespace

DocumentSummary Summarize(const ProcessesDocument& document) {
    DocumentSummary summary = Summarize(document.Lattice(), document.SpeciesList());
    summary.processes = SummarizeProcesses(document.ProcessList());
    summary.interactions = SummarizeInteractions(document.InteractionList());
    return summary;
}

DocumentSummary Summarize(KMCLattice& lattice, KMCSpeciesList& species) {
    IVxKMCSpeciesList* list = &species;
    DocumentSummary summary{SummarizeLattice(&lattice),
                            ReadText(list, &IVxKMCSpeciesList::get_VacancySymbol),
                            species.VacancyColor().ToString(),
                            ReadText(list, &IVxKMCSpeciesList::get_EnablingSpecies),
                            {},
                            std::nullopt,
                            std::nullopt};
    for (LONG i = 0, count = Read<LONG>(list, &IVxKMCSpeciesList::get_Count); i < count; ++i) {
        NoxComPtr<IVxKMCSpecies> species;
        nox::Check(list->get_Item(i, species.Put()));
        summary.species.push_back(SummarizeSpecies(species.Get()));
    }
    return summary;
}

std::string SummaryText(const DocumentSummary& summary) {
    const LatticeSummary& lattice = summary.lattice;
    std::string out =
        NoxFormat("Lattice: %1, group \"%2\", u = %3, v = %4, theta = %5, %6 operators, cell area %7\n")
        << lattice.type << lattice.group << lattice.u << lattice.v << lattice.theta << lattice.operatorCount
        << lattice.cellArea;
    for (const SiteSummary& site : lattice.sites)
        out += NoxFormat("  site %1: %2 (%3) at (%4, %5), label %6, colour %7\n")
               << site.index << site.category << site.type << site.x << site.y << site.label << site.color;
    out += NoxFormat("Species: vacancy \"%1\" (colour %2), enabling species \"%3\"\n")
           << summary.vacancySymbol << summary.vacancyColor << summary.enablingSpecies;
    for (const SpeciesSummary& species : summary.species)
        out += NoxFormat("  %1: %2, radius %3, charge %4, colour %5\n")
               << species.name << species.category << species.radius << species.charge << species.color;
    if (summary.processes) out += ProcessesText(*summary.processes);
    if (summary.interactions) out += InteractionsText(*summary.interactions);
    return out;
}

std::string SummaryJson(const DocumentSummary& summary) {
    JsonWriter json;
    json.BeginObject();
    WriteSummary(json, summary);
    json.EndObject();
    return json.Text() + "\n";
}

void WriteSummary(JsonWriter& json, const DocumentSummary& summary) {
    const LatticeSummary& lattice = summary.lattice;
    json.Key("lattice").BeginObject();
    json.Key("type").String(lattice.type).Key("group").String(lattice.group);
    json.Key("u").Number(lattice.u).Key("v").Number(lattice.v).Key("theta").Number(lattice.theta);
    json.Key("operator_count").Integer(lattice.operatorCount).Key("cell_area").Number(lattice.cellArea);
    json.Key("sites").BeginArray();
    for (const SiteSummary& site : lattice.sites)
        json.BeginObject()
            .Key("index")
            .Integer(site.index)
            .Key("category")
            .String(site.category)
            .Key("type")
            .String(site.type)
            .Key("x")
            .Number(site.x)
            .Key("y")
            .Number(site.y)
            .Key("label")
            .Integer(site.label)
            .Key("color")
            .String(site.color)
            .EndObject();
    json.EndArray().EndObject();
    json.Key("vacancy_symbol")
        .String(summary.vacancySymbol)
        .Key("vacancy_color")
        .String(summary.vacancyColor);
    json.Key("enabling_species").String(summary.enablingSpecies).Key("species").BeginArray();
    for (const SpeciesSummary& species : summary.species)
        json.BeginObject()
            .Key("name")
            .String(species.name)
            .Key("category")
            .String(species.category)
            .Key("radius")
            .Number(species.radius)
            .Key("charge")
            .Integer(species.charge)
            .Key("color")
            .String(species.color)
            .EndObject();
    json.EndArray();
    if (summary.processes) WriteProcessesJson(json, *summary.processes);
    if (summary.interactions) WriteInteractionsJson(json, *summary.interactions);
}

}  // namespace kmcdoc
