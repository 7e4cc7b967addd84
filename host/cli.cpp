#include "cli.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "nox/result.h"
#include "typelib_report.h"

namespace kmcdoc {
namespace {

void AddTypelibCommand(CLI::App& app, bool& json) {
    auto* command = app.add_subcommand("typelib", "List every interface of the registered type library");
    command->add_flag("--json", json, "Write JSON instead of text");
    command->callback([&json] { std::cout << (json ? TypeLibraryJson() : TypeLibraryText()); });
}

}  // namespace

int Run(int argc, char** argv) {
    CLI::App app{"kmcdoc: inspect, validate and convert KMC documents"};
    app.set_version_flag("--version", std::string("kmcdoc ") + KMCDOC_VERSION);
    app.require_subcommand(1);
    bool json = false;
    AddTypelibCommand(app, json);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? kExitSuccess : kExitBadInput;
    } catch (const NoxResult& failure) {
        std::cerr << "kmcdoc: " << failure.Description() << "\n";
        return kExitBadInput;
    }
    return kExitSuccess;
}

}  // namespace kmcdoc
