#include "any_document.h"

#include "xmltree/xmltree.h"

namespace kmcdoc {
namespace {

AnyDocument FromTree(const xmlTree& tree, const std::string& origin) {
    if (tree.Root() != nullptr && tree.Root()->Name() == kConfigurationRoot)
        return {nullptr, ConfigurationDocument::FromTree(tree, origin)};
    return {ProcessesDocument::FromTree(tree, origin), nullptr};
}

}  // namespace

const std::vector<std::string>& AnyDocument::LoadWarnings() const {
    return processes ? processes->LoadWarnings() : configurations->LoadWarnings();
}

HostDocument& AnyDocument::Document() const {
    return processes ? processes->Document() : configurations->Document();
}

void AnyDocument::Save(const std::string& path) const {
    if (processes)
        processes->Save(path);
    else
        configurations->Save(path);
}

std::string AnyDocument::SaveToString() const {
    return processes ? processes->SaveToString() : configurations->SaveToString();
}

IDispatch* AnyDocument::TopLevelObject(std::string_view element) const {
    return processes ? processes->TopLevelObject(element) : configurations->TopLevelObject(element);
}

std::vector<std::string_view> AnyDocument::TopLevelElements() const {
    return processes ? processes->TopLevelElements() : configurations->TopLevelElements();
}

AnyDocument LoadAnyDocument(const std::string& path, size_t maxSize) {
    return FromTree(*xmlTree::ParseFile(path, maxSize), path);
}

AnyDocument ParseAnyDocument(const std::string& text, const std::string& origin) {
    return FromTree(*xmlTree::ParseString(text), origin);
}

std::string_view FailureText(const NoxResult& failure) {
    const std::string_view description = failure.Description();
    if (failure.Code() != E_OUTOFMEMORY || description.find("of memory") != std::string_view::npos)
        return description;
    return "out of memory";
}

}  // namespace kmcdoc
