#include "cli.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <new>
#include <tuple>
#include <utility>

#include "any_document.h"
#include "configuration_report.h"
#include "document_files.h"
#include "groups_report.h"
#include "interaction_command.h"
#include "interaction_report.h"
#include "nox/result.h"
#include "processes_document.h"
#include "render_command.h"
#include "report.h"
#include "typelib_report.h"
#include "verdicts.h"

namespace kmcdoc {
namespace {

// Shared by the commands: their options and what the chosen one reports back to Run.
struct Outcome {
    int exitCode = kExitSuccess;
    bool json = false;
    bool all = false;
    bool csv = false;
    bool strict = false;
    uint64_t maxInputSize = xmlTree::kDefaultMaxFileSize;
};

void AddJsonFlag(CLI::App* command, Outcome& outcome) {
    command->add_flag("--json", outcome.json, "Write JSON instead of text");
}

void AddInputLimit(CLI::App* command, Outcome& outcome) {
    command
        ->add_option("--max-input-size", outcome.maxInputSize,
                     "The largest document file read (default 512M)")
        ->transform(CLI::AsSizeValue(false));
}

AnyDocument LoadAny(const std::string& path, const Outcome& outcome) {
    return LoadAnyDocument(path, static_cast<size_t>(outcome.maxInputSize));
}

std::unique_ptr<ProcessesDocument> LoadProcesses(const std::string& path, const Outcome& outcome) {
    return ProcessesDocument::Load(path, static_cast<size_t>(outcome.maxInputSize));
}

// What loading changed without failing goes to standard error, a line each.
void PrintWarnings(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) std::cerr << "kmcdoc: warning: " << warning << "\n";
}

// Written in parts, so that reporting a failure needs no memory of its own.
int Failed(std::string_view where, std::string_view message) {
    std::cerr << "kmcdoc: " << where << (where.empty() ? "" : ": ") << message << "\n";
    return kExitBadInput;
}

void AddTypelibCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("typelib", "List every interface of the registered type library");
    AddJsonFlag(command, outcome);
    command->callback([&outcome] { std::cout << (outcome.json ? TypeLibraryJson() : TypeLibraryText()); });
}

void AddGroupsCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("groups", "List the plane groups with their symmetry operators");
    AddJsonFlag(command, outcome);
    command->callback([&outcome] { std::cout << (outcome.json ? GroupsJson() : GroupsText()); });
}

template <class Summary>
void Show(const Summary& summary, bool json) {
    std::cout << (json ? SummaryJson(summary) : SummaryText(summary));
}

void AddShowCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("show", "Show what a processes or configuration document holds");
    auto* file = command->add_option("FILE", "The document")->required();
    AddJsonFlag(command, outcome);
    AddInputLimit(command, outcome);
    command->callback([file, &outcome] {
        const AnyDocument document = LoadAny(file->as<std::string>(), outcome);
        if (document.configurations)
            Show(Summarize(*document.configurations), outcome.json);
        else
            Show(Summarize(*document.processes), outcome.json);
    });
}

void AddConvertCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("convert", "Load a document and save it in canonical form");
    auto* in = command->add_option("IN", "The document to read")->required();
    auto* out = command->add_option("OUT", "Where to write it")->required();
    command->add_flag("--strict", outcome.strict,
                      "Write nothing when loading changed anything (see the warnings)");
    AddInputLimit(command, outcome);
    command->callback([in, out, &outcome] {
        const AnyDocument document = LoadAny(in->as<std::string>(), outcome);
        PrintWarnings(document.LoadWarnings());
        if (outcome.strict && !document.LoadWarnings().empty()) {
            outcome.exitCode =
                Failed(out->as<std::string>(), "not written, as loading " + in->as<std::string>() +
                                                   " changed what it holds (--strict)");
            return;
        }
        document.Save(out->as<std::string>());
    });
}

void AddCoverageCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand(
        "coverage", "Per configuration, the fraction of each site category that each species holds");
    auto* file = command->add_option("FILE", "The configuration document")->required();
    command->add_flag("--csv", outcome.csv, "Write CSV instead of text");
    AddInputLimit(command, outcome);
    command->callback([file, &outcome] {
        CoverageTable table = Coverage(
            *ConfigurationDocument::Load(file->as<std::string>(), static_cast<size_t>(outcome.maxInputSize)));
        std::cout << (outcome.csv ? CoverageCsv(table) : CoverageText(table));
    });
}

void AddValidateCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("validate", "Load a processes document and ask every verdict");
    auto* file = command->add_option("FILE", "The processes document")->required();
    command->add_flag("--all", outcome.all, "Also check every enabled process on its own");
    AddJsonFlag(command, outcome);
    AddInputLimit(command, outcome);
    command->callback([file, &outcome] {
        const std::string path = file->as<std::string>();
        auto document = LoadProcesses(path, outcome);
        PrintWarnings(document->LoadWarnings());
        auto verdicts = DocumentVerdicts(*document);
        std::vector<ProcessVerdict> processes;
        if (outcome.all) processes = ProcessVerdicts(*document);
        if (outcome.json) {
            std::cout << VerdictsJson(verdicts, outcome.all ? &processes : nullptr);
        } else {
            std::cout << path << ": loads without errors\n" << VerdictsText(verdicts);
            if (outcome.all) std::cout << InvalidProcessesText(processes);
        }
        if (!AllHold(verdicts)) outcome.exitCode = kExitVerdictFailed;
    });
}

void AddCompareCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand(
        "compare",
        "Ask whether two documents' lattices and species lists agree: two processes documents, or a "
        "processes document and a configuration document");
    auto* first = command->add_option("A", "The first document")->required();
    auto* second = command->add_option("B", "The second document")->required();
    AddInputLimit(command, outcome);
    command->callback([first, second, &outcome] {
        const std::string a = first->as<std::string>(), b = second->as<std::string>();
        const AnyDocument one = LoadAny(a, outcome), other = LoadAny(b, outcome);
        if (one.configurations && other.configurations)
            throw NoxResult(E_INVALIDARG, "compare needs a processes document, but " + a + " and " + b +
                                              " are both configuration documents.");
        auto verdicts = one.configurations     ? CompareDocuments(*one.configurations, *other.processes)
                        : other.configurations ? CompareDocuments(*other.configurations, *one.processes)
                                               : CompareDocuments(*one.processes, *other.processes);
        std::cout << VerdictsText(verdicts);
        if (!AllHold(verdicts)) outcome.exitCode = kExitVerdictFailed;
    });
}

void AddAddInteractionCommand(CLI::App& app, Outcome&) {
    auto* command = app.add_subcommand(
        "add-interaction", "Generate a lateral interaction with its symmetry classes and save the document");
    auto* file = command->add_option("FILE", "The processes document")->required();
    auto* active = command->add_option("ACTIVE", "The species on the active site")->required();
    auto* interacting = command->add_option("INTERACTING", "The species on the interacting site")->required();
    auto* cutoff = command->add_option("CUTOFF", "The maximum pair distance (excluded)")->required();
    auto* out =
        command->add_option("-o,--output", "Where to save the document (default: FILE, replaced safely)");
    command->callback([=] {
        const std::string path = file->as<std::string>();
        auto document = ProcessesDocument::Load(path);
        const InteractionSummary created = AddInteraction(
            *document, active->as<std::string>(), interacting->as<std::string>(), cutoff->as<double>());
        // The tree is written beside the target and renamed over it: a failed save loses nothing.
        document->Save(out->count() > 0 ? out->as<std::string>() : path);
        std::cout << InteractionText(created);
    });
}

void AddRenderCommand(CLI::App& app, Outcome& outcome) {
    auto request = std::make_shared<RenderRequest>();
    auto cells = std::make_shared<std::pair<LONG, LONG>>(request->cellsU, request->cellsV);
    auto* command = app.add_subcommand(
        "render",
        "Draw the lattice, a process or a configuration as SVG, or write the lattice or a configuration "
        "as extended XYZ");
    command->add_option("FILE", request->file, "The processes or configuration document")->required();
    command->add_option("-o,--output", request->out, "The file to write; .svg or .xyz chooses the format")
        ->required();
    auto* cellsOption = command->add_option("--cells", *cells, "N M: the cells drawn (default 3 3)")
                            ->check(CLI::Range(1, static_cast<int>(kMaxCellsOnASide)));
    auto* process = command->add_option(
        "--process", request->process,
        "K: draw process K (counted from 1); all: one picture per process, named OUT-K.svg");
    auto configuration = std::make_shared<LONG>(0);
    auto* configurationOption =
        command->add_option("--configuration", *configuration, "K: draw configuration K (counted from 1)")
            ->excludes(process);
    AddInputLimit(command, outcome);
    command->callback([request, cells, cellsOption, configuration, configurationOption, &outcome] {
        request->cellsGiven = cellsOption->count() > 0;
        if (configurationOption->count() > 0) request->configuration = *configuration;
        std::tie(request->cellsU, request->cellsV) = *cells;
        request->maxInputSize = outcome.maxInputSize;
        for (const std::string& line : Render(*request)) std::cout << line << "\n";
    });
}

// Builds the command line and runs the chosen command; what the command raises is left to Run.
int RunCommand(int argc, char** argv) {
    CLI::App app{"kmcdoc: inspect, validate and convert KMC documents"};
    app.set_version_flag("--version", std::string("kmcdoc ") + KMCDOC_VERSION);
    app.require_subcommand(1);
    Outcome outcome;
    for (auto add : {AddTypelibCommand, AddGroupsCommand, AddShowCommand, AddConvertCommand,
                     AddValidateCommand, AddCompareCommand, AddCoverageCommand, AddAddInteractionCommand,
                     AddRenderCommand})
        add(app, outcome);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitBadInput;
    }
    return outcome.exitCode;
}

}  // namespace

int Run(int argc, char** argv) {
    try {
        return RunCommand(argc, argv);
    } catch (const LoadFailure& failure) {
        return Failed(failure.Where(), FailureText(failure));
    } catch (const std::bad_alloc&) {
        return Failed("", "out of memory");
    } catch (...) {  // anything else as the library converts it
        return Failed("", FailureText(nox::CurrentExceptionAsResult()));
    }
}

}  // namespace kmcdoc
