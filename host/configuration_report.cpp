#include "configuration_report.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "configuration/configuration.h"
#include "configuration/configuration_history.h"
#include "configuration_document.h"
#include "json.h"
#include "lattice/lattice.h"
#include "lattice/lattice_site.h"
#include "lattice/lattice_site_list.h"
#include "nox/format.h"
#include "nox/strings.h"
#include "species/species_list.h"

namespace kmcdoc {
namespace {

// Calls `each(s, entry)` for every site (i, j, s) of the patch. Raised: the library's failure,
// named after the configuration (counted from 1) so that the user knows which one to mend.
template <class Each>
void ForEachSite(const ConfigurationDocument& document, size_t number, Each each) {
    IVxKMCConfiguration* configuration = document.Configurations()[number - 1].Get();
    try {
        for (LONG j = 0; j < document.CellsV(); ++j)
            for (LONG i = 0; i < document.CellsU(); ++i)
                for (LONG s = 0; s < document.SitesPerCell(); ++s) {
                    NoxBSTR entry;
                    nox::Check(configuration->get_Species(i, j, s, entry.Put()));
                    each(s, entry.ToTString());
                }
    } catch (const NoxResult& failure) {
        throw NoxResult(failure.Code(), NoxFormat("Configuration %1 cannot be read: %2")
                                            << number << failure.Description());
    }
}

std::vector<std::string> SpeciesNames(const DocumentSummary& objects) {
    std::vector<std::string> names;
    for (const SpeciesSummary& species : objects.species) names.push_back(species.name);
    return names;
}

// The first word of the configuration string: its format code.
std::string FormatCode(IVxKMCConfiguration* configuration) {
    NoxBSTR text;
    nox::Check(configuration->get_Configuration(text.Put()));
    std::istringstream words(text.ToTString());
    std::string code;
    words >> code;
    return code;
}

std::vector<std::pair<std::string, long long>> CountEntries(const ConfigurationDocument& document,
                                                            size_t number, const DocumentSummary& objects) {
    std::vector<std::pair<std::string, long long>> counts;
    std::map<std::string, size_t> position;
    auto add = [&](const std::string& entry) {
        position.emplace(entry, counts.size());
        counts.emplace_back(entry, 0);
    };
    for (const std::string& name : SpeciesNames(objects)) add(name);
    add(objects.vacancySymbol);
    ForEachSite(document, number, [&](LONG, const std::string& entry) {
        if (position.find(entry) == position.end()) add(entry);
        ++counts[position[entry]].second;
    });
    return counts;
}

HistorySummary SummarizeHistory(KMCConfigurationHistory& history) {
    HistorySummary summary;
    NoxBSTR task, id;
    nox::Check(history.get_Task(task.Put()));
    nox::Check(history.get_ProcessesDocID(id.Put()));
    nox::Check(history.get_SimulationTime(&summary.simulationTime));
    summary.task = task.ToTString();
    summary.processesDocument = id.ToTString();
    LONG actions = 0;
    nox::Check(history.get_NumActions(&actions));
    for (LONG index = 0; index < actions; ++index) {
        NoxComPtr<IVxKMCConfigurationHistoryAction> action;
        nox::Check(history.get_Action(index, action.Put()));
        ActionSummary& added = summary.actions.emplace_back();
        nox::Check(action->get_SimulationTime(&added.time));
        LONG pairs = 0;
        nox::Check(action->get_NumKeyValuePairs(&pairs));
        for (LONG pair = 0; pair < pairs; ++pair) {
            NoxBSTR key;
            double value = 0;
            nox::Check(action->GetKeyValuePair(pair, key.Put(), &value));
            added.pairs.emplace_back(key.ToTString(), value);
        }
    }
    return summary;
}

}  // namespace

ConfigurationDocumentSummary Summarize(const ConfigurationDocument& document) {
    ConfigurationDocumentSummary summary{Summarize(document.Lattice(), document.SpeciesList()),
                                         document.CellsU(),
                                         document.CellsV(),
                                         document.SitesPerCell(),
                                         {},
                                         std::nullopt};
    for (size_t number = 1; number <= document.Configurations().size(); ++number) {
        IVxKMCConfiguration* configuration = document.Configurations()[number - 1].Get();
        ConfigurationSummary& added = summary.configurations.emplace_back();
        added.index = static_cast<LONG>(number);
        nox::Check(configuration->get_FrameTime(&added.frameTime));
        added.counts = CountEntries(document, number, summary.objects);
        added.format = FormatCode(configuration);
    }
    if (document.History() != nullptr) summary.history = SummarizeHistory(*document.History());
    return summary;
}

std::string SummaryText(const ConfigurationDocumentSummary& summary) {
    std::string out = SummaryText(summary.objects);
    out += NoxFormat("Patch: %1 x %2 cells, %3 sites per cell\n")
           << summary.cellsU << summary.cellsV << summary.sitesPerCell;
    for (const ConfigurationSummary& configuration : summary.configurations) {
        std::string counts;
        for (const auto& [entry, count] : configuration.counts)
            counts += (counts.empty() ? "" : ", ") + std::string(NoxFormat("%1 %2") << entry << count);
        out += NoxFormat("Configuration %1: frame time %2, format %3: %4\n")
               << configuration.index << configuration.frameTime << configuration.format << counts;
    }
    if (!summary.history) return out + "History: none\n";
    const HistorySummary& history = *summary.history;
    out += NoxFormat("History: task \"%1\", processes document \"%2\", simulation time %3\n")
           << history.task << history.processesDocument << history.simulationTime;
    for (const ActionSummary& action : history.actions) {
        std::string pairs;
        for (const auto& [key, value] : action.pairs)
            pairs += (pairs.empty() ? "" : ", ") + std::string(NoxFormat("\"%1\" = %2") << key << value);
        out += NoxFormat("  action at %1: %2\n") << action.time << pairs;
    }
    return out;
}

std::string SummaryJson(const ConfigurationDocumentSummary& summary) {
    JsonWriter json;
    json.BeginObject();
    WriteSummary(json, summary.objects);
    json.Key("patch").BeginObject();
    json.Key("cells_u").Integer(summary.cellsU).Key("cells_v").Integer(summary.cellsV);
    json.Key("sites_per_cell").Integer(summary.sitesPerCell).EndObject();
    json.Key("configurations").BeginArray();
    for (const ConfigurationSummary& configuration : summary.configurations) {
        json.BeginObject().Key("index").Integer(configuration.index);
        json.Key("frame_time").Number(configuration.frameTime).Key("format").String(configuration.format);
        json.Key("counts").BeginObject();
        for (const auto& [entry, count] : configuration.counts) json.Key(entry).Integer(count);
        json.EndObject().EndObject();
    }
    json.EndArray().Key("history");
    if (summary.history) {
        const HistorySummary& history = *summary.history;
        json.BeginObject().Key("task").String(history.task);
        json.Key("processes_document").String(history.processesDocument);
        json.Key("simulation_time").Number(history.simulationTime).Key("actions").BeginArray();
        for (const ActionSummary& action : history.actions) {
            json.BeginObject().Key("time").Number(action.time).Key("pairs").BeginArray();
            for (const auto& [key, value] : action.pairs)
                json.BeginArray().String(key).Number(value).EndArray();
            json.EndArray().EndObject();
        }
        json.EndArray().EndObject();
    } else {
        json.Null();
    }
    json.EndObject();
    return json.Text() + "\n";
}

CoverageTable Coverage(const ConfigurationDocument& document) {
    const KMCLatticeSiteList& sites = *document.Lattice().RawLatticeSiteList();
    std::vector<std::string> categories;
    std::vector<size_t> categoryOfSite;
    for (LONG s = 0; s < sites.Count(); ++s) {
        const std::string& category = sites.Site(s).Category();
        auto found = std::find(categories.begin(), categories.end(), category);
        categoryOfSite.push_back(static_cast<size_t>(found - categories.begin()));
        if (found == categories.end()) categories.push_back(category);
    }
    const std::vector<std::string> species =
        SpeciesNames(Summarize(document.Lattice(), document.SpeciesList()));
    CoverageTable table;
    std::vector<double> sitesPerColumn;
    for (const std::string& category : categories) {
        const auto inCategory = std::count(categoryOfSite.begin(), categoryOfSite.end(),
                                           static_cast<size_t>(&category - categories.data()));
        for (const std::string& name : species) {
            table.columns.push_back(name + " on " + category);
            sitesPerColumn.push_back(static_cast<double>(inCategory) * document.CellsU() * document.CellsV());
        }
    }
    for (size_t number = 1; number <= document.Configurations().size(); ++number) {
        CoverageTable::Row& row = table.rows.emplace_back();
        nox::Check(document.Configurations()[number - 1]->get_FrameTime(&row.frameTime));
        row.fractions.assign(table.columns.size(), 0.0);
        ForEachSite(document, number, [&](LONG s, const std::string& entry) {
            auto found = std::find(species.begin(), species.end(), entry);
            if (found != species.end())
                row.fractions[categoryOfSite[static_cast<size_t>(s)] * species.size() +
                              static_cast<size_t>(found - species.begin())] += 1;
        });
        for (size_t column = 0; column < row.fractions.size(); ++column)
            row.fractions[column] /= sitesPerColumn[column];
    }
    return table;
}

namespace {

// The cells of a table: a header, then one line per configuration.
std::vector<std::vector<std::string>> CoverageCells(const CoverageTable& table) {
    std::vector<std::vector<std::string>> cells{{"frame_time"}};
    cells[0].insert(cells[0].end(), table.columns.begin(), table.columns.end());
    for (const CoverageTable::Row& row : table.rows) {
        std::vector<std::string>& line =
            cells.emplace_back(std::vector<std::string>{nox::FormatDouble(row.frameTime)});
        for (double fraction : row.fractions) line.push_back(nox::FormatDouble(fraction));
    }
    return cells;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string CoverageText(const CoverageTable& table) {
    const auto cells = CoverageCells(table);
    std::vector<size_t> widths(cells[0].size(), 0);
    for (const auto& line : cells)
        for (size_t column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], line[column].size());
    std::string out;
    for (const auto& line : cells) {
        std::string text;
        for (size_t column = 0; column < line.size(); ++column)
            text += line[column] + std::string(widths[column] - line[column].size() + 2, ' ');
        out += text.substr(0, text.find_last_not_of(' ') + 1) + "\n";
    }
    return out;
}

std::string CoverageCsv(const CoverageTable& table) {
    std::string out;
    for (const auto& line : CoverageCells(table)) {
        for (size_t column = 0; column < line.size(); ++column)
            out += (column > 0 ? "," : "") + CsvField(line[column]);
        out += "\n";
    }
    return out;
}

}  // namespace kmcdoc
