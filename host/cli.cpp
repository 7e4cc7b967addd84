#include "cli.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "groups_report.h"
#include "interaction_command.h"
#include "nox/result.h"
#include "processes_document.h"
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
};

void AddJsonFlag(CLI::App* command, Outcome& outcome) {
    command->add_flag("--json", outcome.json, "Write JSON instead of text");
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

void AddShowCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("show", "Show what a processes document holds");
    auto* file = command->add_option("FILE", "The processes document")->required();
    AddJsonFlag(command, outcome);
    command->callback([file, &outcome] {
        DocumentSummary summary = Summarize(*ProcessesDocument::Load(file->as<std::string>()));
        std::cout << (outcome.json ? SummaryJson(summary) : SummaryText(summary));
    });
}

void AddConvertCommand(CLI::App& app, Outcome&) {
    auto* command = app.add_subcommand("convert", "Load a processes document and save it in canonical form");
    auto* in = command->add_option("IN", "The document to read")->required();
    auto* out = command->add_option("OUT", "Where to write it")->required();
    command->callback(
        [in, out] { ProcessesDocument::Load(in->as<std::string>())->Save(out->as<std::string>()); });
}

void AddValidateCommand(CLI::App& app, Outcome& outcome) {
    auto* command = app.add_subcommand("validate", "Load a processes document and ask every verdict");
    auto* file = command->add_option("FILE", "The processes document")->required();
    command->add_flag("--all", outcome.all, "Also check every enabled process on its own");
    AddJsonFlag(command, outcome);
    command->callback([file, &outcome] {
        const std::string path = file->as<std::string>();
        auto document = ProcessesDocument::Load(path);
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
    auto* command =
        app.add_subcommand("compare", "Ask whether two documents' lattices and species lists agree");
    auto* first = command->add_option("A", "The first document")->required();
    auto* second = command->add_option("B", "The second document")->required();
    command->callback([first, second, &outcome] {
        auto a = ProcessesDocument::Load(first->as<std::string>());
        auto b = ProcessesDocument::Load(second->as<std::string>());
        auto verdicts = CompareDocuments(*a, *b);
        std::cout << VerdictsText(verdicts);
        if (!AllHold(verdicts)) outcome.exitCode = kExitVerdictFailed;
    });
}

}  // namespace

int Run(int argc, char** argv) {
    CLI::App app{"kmcdoc: inspect, validate and convert KMC documents"};
    app.set_version_flag("--version", std::string("kmcdoc ") + KMCDOC_VERSION);
    app.require_subcommand(1);
    Outcome outcome;
    for (auto add : {AddTypelibCommand, AddGroupsCommand, AddShowCommand, AddConvertCommand,
                     AddValidateCommand, AddCompareCommand})
        add(app, outcome);
    AddAddInteractionCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitBadInput;
    } catch (const NoxResult& failure) {
        std::cerr << "kmcdoc: " << failure.Description() << "\n";
        return kExitBadInput;
    }
    return outcome.exitCode;
}

}  // namespace kmcdoc
