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

// The single-document verdicts, in this order: AreProcessesValid, AreProcessesUnique,
// AreProcessChargesConsistent, AreInteractionsUnique, and IsCutoffValid when both species for the
// next new interaction are set.
std::vector<Verdict> DocumentVerdicts(const ProcessesDocument& document);

// One enabled process's own validity, with its position counted from 1 over all processes.
struct ProcessVerdict {
    long long index = 0;
    std::string identifier;
    bool valid = true;
    std::string message;
};
// Every enabled process's verdict, in list order.
std::vector<ProcessVerdict> ProcessVerdicts(const ProcessesDocument& document);
// IsConsistent of the lattices and of the species lists of `document` against `other`.
std::vector<Verdict> CompareDocuments(const ProcessesDocument& document, const ProcessesDocument& other);
// The same between a run's configuration document and the processes document it ran, as the
// host asks before it shows the run.
std::vector<Verdict> CompareDocuments(const ConfigurationDocument& configurations,
                                      const ProcessesDocument& processes);

// One line per verdict ("lattice: consistent"), each followed by the library's text when it has one.
std::string VerdictsText(const std::vector<Verdict>& verdicts);
bool AllHold(const std::vector<Verdict>& verdicts);
// The messages of the invalid processes, each as the library gives it.
std::string InvalidProcessesText(const std::vector<ProcessVerdict>& processes);
// {"verdicts": [{"name", "valid", "message"}, ...]}, with "processes": [{"index", "identifier",
// "valid", "message"}, ...] when `processes` is given.
std::string VerdictsJson(const std::vector<Verdict>& verdicts, const std::vector<ProcessVerdict>* processes);

}  // namespace kmcdoc
