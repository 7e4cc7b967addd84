#include "process/parameters.h"

#include <algorithm>

KMCParameter::KMCParameter(const std::string& name, const std::string& valueText)
    : name_(name), value_(valueText) {}

KMCExpression KMCParameter::ApplicationValue() const {
    return IsApplicationValueModified() ? applicationValue_ : value_;
}

void KMCParameter::SetValue(const std::string& text) {
    value_.SetValue(text, KMCExpression::AnyValue, false);
}

void KMCParameter::SetApplicationValue(const std::string& text) {
    applicationValue_.SetValue(text, KMCExpression::AnyValue, false);
}

bool KMCParameterList::AddParameter(const std::string& name, const std::string& valueText) {
    parameters_.emplace_back(name, valueText);
    InvalidateDefinedParameters();
    return IsListValid();
}

bool KMCParameterList::IsParameterKnown(const std::string& name) const {
    UpdateDefinedParameters();
    return definedNames_.contains(name);
}

bool KMCParameterList::IsListValidImpl(bool useApplicationValues) const {
    std::set<std::string> earlier;
    std::vector<std::string> references;
    for (const KMCParameter& parameter : parameters_) {
        if (earlier.contains(parameter.Name())) return false;
        const KMCExpression value = useApplicationValues ? parameter.ApplicationValue() : parameter.Value();
        value.DependsOn(references);
        if (!std::ranges::all_of(references, [&](const std::string& name) { return earlier.contains(name); }))
            return false;
        earlier.insert(parameter.Name());
    }
    return true;
}

void KMCParameterList::UpdateDefinedParameters() const {
    if (definedNamesValid_) return;
    definedNames_.clear();
    for (const KMCParameter& parameter : parameters_) definedNames_.insert(parameter.Name());
    definedNamesValid_ = true;
}

void KMCParameterList::InvalidateDefinedParameters() const {
    definedNamesValid_ = false;
    definedNames_.clear();
}
