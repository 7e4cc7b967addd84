// KMCParameter and KMCParameterList: named values the host keeps beside a model, each with an
// optional override the application may set and reset without losing the default.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "com/base.h"
#include "process/expression.h"

class NOX_EXPORT KMCParameter {
public:
    // The value is taken as written: a text that is not a number is kept and not refused.
    KMCParameter(const std::string& name, const std::string& valueText);
    KMCParameter(const KMCParameter&) = default;
    KMCParameter& operator=(const KMCParameter&) = default;
    virtual ~KMCParameter() = default;

    std::string Name() const { return name_; }
    KMCExpression Value() const { return value_; }
    std::string ValueAsString() const { return value_.ValueAsString(false); }
    bool IsValueDefined() const { return !value_.IsEmpty(); }

    // The override when one is set, otherwise the default.
    KMCExpression ApplicationValue() const;
    std::string ApplicationValueAsString() const { return ApplicationValue().ValueAsString(false); }
    bool IsApplicationValueModified() const { return !applicationValue_.IsEmpty(); }
    bool IsApplicationValueDefined() const { return IsApplicationValueModified() || IsValueDefined(); }

    // Both raise what KMCExpression::SetValue raises for any number in the C locale.
    void SetValue(const std::string& text);
    void SetApplicationValue(const std::string& text);
    void ResetApplicationValue() { applicationValue_ = KMCExpression(); }

private:
    std::string name_;
    KMCExpression value_;
    KMCExpression applicationValue_;  // empty: no override
};

class NOX_EXPORT KMCParameterList {
public:
    KMCParameterList() = default;
    KMCParameterList(const KMCParameterList&) = default;
    KMCParameterList& operator=(const KMCParameterList&) = default;
    virtual ~KMCParameterList() = default;

    // Appends the parameter even when the list then is invalid, and returns whether it is
    // valid, so a caller can show the user what went wrong before correcting it.
    bool AddParameter(const std::string& name, const std::string& valueText);
    // Valid: names are unique (byte-wise) and every value refers only to parameters before it.
    bool IsListValid() const { return IsListValidImpl(false); }
    // The same rule applied to the application's overrides.
    bool IsApplicationListValid() const { return IsListValidImpl(true); }
    bool IsParameterKnown(const std::string& name) const;

private:
    bool IsListValidImpl(bool useApplicationValues) const;
    void UpdateDefinedParameters() const;
    void InvalidateDefinedParameters() const;

    std::vector<KMCParameter> parameters_;
    // Every parameter's name, rebuilt on demand after the list changed.
    mutable std::set<std::string> definedNames_;
    mutable bool definedNamesValid_ = false;
};
