// The library's verdicts on one document, or on two documents compared.
#pragma once

#include <string>
#include <vector>

namespace kmcdoc {

class ConfigurationDocument;
class ProcessesDocument;

struct Verdict {
    std::string subject;  // what was asked, for people
    bool holds = true;
    std::string message;  // exactly as the library returns it (empty when all is well)
};

// Every single-document verdict the library offers so far.
std::vector<Verdict> DocumentVerdicts(const ProcessesDocument& document);
// IsConsistent of the lattices and of the species lists of `document` against `other`.
std::vector<Verdict> CompareDocuments(const ProcessesDocument& document, const ProcessesDocument& other);
// The same between a run's configuration document and the processes document it ran, as the
// host asks before it shows the run.
std::vector<Verdict> CompareDocuments(const ConfigurationDocument& configurations,
                                      const ProcessesDocument& processes);

// One line per verdict ("lattice: consistent"), each followed by the library's text when it has one.
std::string VerdictsText(const std::vector<Verdict>& verdicts);
bool AllHold(const std::vector<Verdict>& verdicts);

}  // namespace kmcdoc
