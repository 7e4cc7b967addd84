// kmcdoc add-interaction: generates a lateral interaction in a processes document the way a
// host's "new interaction" command does, and saves the document.
#pragma once

#include <string>

namespace kmcdoc {

class ProcessesDocument;
struct InteractionSummary;

// Sets the document's species and cutoff for the next new interaction and creates it, with its
// details and symmetry classes. Raised as NoxResult: a species the document does not hold, and
// every refusal of the library (an interaction that exists already, a species that is not an
// adsorbate, a cutoff the lattice cannot search), with the library's own description.
InteractionSummary AddInteraction(ProcessesDocument& document, const std::string& active,
                                  const std::string& interacting, double cutoff);

}  // namespace kmcdoc
