// A large processes document of the kind the biggest published lattice models reach: the square
// example's lattice ("p 4 m m", a top, two bridge and a hollow site per cell), sixty adsorbates,
// and adsorptions, desorptions, diffusions and reactions between every pair of them, all valid
// and distinct under the lattice's symmetry, in an order that mixes the types from the start.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

inline constexpr int kAdsorbates = 60;

// One process element; `sites` holds its site elements.
inline std::string ProcessElement(const char* type, bool associative, const std::string& identifier,
                                  int charge, int activeSites, int blockingSites, const std::string& sites,
                                  int variety) {
    char head[1024];
    std::snprintf(head, sizeof head,
                  "    <Process Enabled=\"true\" Type=\"%s\" IsAssociative=\"%s\" Identifier=\"%s\" "
                  "Description=\"generated\" SpecificationType=\"Arrhenius\" Prefactor=\"%.5e\" "
                  "PressureFactor=\"0.00000\" ActivationEnergy=\"%g\" PotentialFactor=\"0.00000\" "
                  "UseInteractions=\"true\" BronstedPolanyiFactor=\"0.5\" InteractionCutoff=\"0\" "
                  "Rate=\"0.500000\" Priority=\"1\" NetChargeTransfer=\"%d\" NumberOfActiveSites=\"%d\" "
                  "NumberOfBlockingSites=\"%d\">\n",
                  type, associative ? "true" : "false", identifier.c_str(), 1e12 + 1e9 * (variety % 97),
                  0.3 + 0.01 * (variety % 113), charge, activeSites, blockingSites);
    return head + sites + "    </Process>\n";
}

inline std::string ActiveSite(const char* kind, const char* address, const std::string& pattern,
                              const std::string& result) {
    return "      <ActiveSite SiteType=\"" + std::string(kind) + "\" SiteDetails=\"" + address +
           "\" SourcePattern=\"" + pattern + "\" ResultSpecies=\"" + result + "\"/>\n";
}

// The processes between adsorbates `a` and `b` with the second site at `second` (a hollow or a
// bridge address), appended to `text` until it holds `wanted`; returns how many it holds.
struct SecondSite {
    const char* address;
    const char* tag;  // for identifiers
};

inline int AppendPairProcesses(std::string& text, int count, int wanted, int a, int b, SecondSite site) {
    const char* second = site.address;
    const std::string sa = "S" + std::to_string(a), sb = "S" + std::to_string(b);
    const std::string pair = sa + "_" + sb + "_" + site.tag;
    const char* top = "( 0 , 0 / 1 )";
    const std::string processes[] = {
        ProcessElement("Adsorption", true, "ads_" + pair, 0, 2, 0,
                       ActiveSite("Destination", top, "", sa) + ActiveSite("Destination", second, "", sb),
                       count),
        ProcessElement("Desorption", true, "des_" + pair, 0, 2, 0,
                       ActiveSite("Source", top, sa, "") + ActiveSite("Source", second, sb, ""), count + 1),
        ProcessElement("Reaction", false, "swap_" + pair, 1, 2, 0,
                       ActiveSite("Reaction", top, sa, sb) + ActiveSite("Reaction", second, sb, sa),
                       count + 2),
        ProcessElement("Reaction", false, "oxidation_" + sa, 0, 3, 1,
                       ActiveSite("Reaction", top, sa, "V") + ActiveSite("Reaction", second, sb, "V") +
                           ActiveSite("Reaction", "( 1 , 0 / 1 )", "V", sb) +
                           "      <BlockingSite SiteDetails=\"( -1 , 0 / 1 )\" SourcePattern=\"V\"/>\n",
                       count + 3),
    };
    for (const std::string& process : processes) {
        if (count == wanted) break;
        text += process;
        ++count;
    }
    if (b == 0 && count < wanted) {  // one diffusion per adsorbate and second site
        text += ProcessElement("Diffusion", false, "hop_" + pair, 0, 2, 0,
                               ActiveSite("Source", top, sa, "") + ActiveSite("Destination", second, "", sa),
                               count);
        ++count;
    }
    return count;
}

// The document's text with `wanted` processes (at most about 29,000).
inline std::string ProcessesDocumentText(int wanted) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ProcessesDocument Version=\"1.0\">\n"
        "  <Lattice LatticeType=\"Square\" SymmetryGroup=\"p 4 m m\" LatticeU=\"2.77\" LatticeV=\"2.77\" "
        "LatticeTheta=\"90\">\n    <LatticeSiteList NumberOfSites=\"4\" NextSiteLabel=\"4\">\n";
    const char* sites[][3] = {
        {"Top", "0", "0"}, {"Bridge", "0.5", "0"}, {"Bridge", "0", "0.5"}, {"Hollow", "0.5", "0.5"}};
    for (const auto& [type, x, y] : sites)
        text += std::string("      <LatticeSite Category=\"Adsorption site\" Type=\"") + type +
                "\" XPosition=\"" + x + "\" YPosition=\"" + y + "\" Label=\"1\" Color=\"FF3366CC\"/>\n";
    text += "    </LatticeSiteList>\n  </Lattice>\n  <SpeciesList NumberOfSpecies=\"" +
            std::to_string(kAdsorbates) +
            "\" VacancySymbol=\"V\" VacancyColor=\"FF808080\" NewEnablingSpecies=\"\">\n";
    for (int i = 0; i < kAdsorbates; ++i)
        text += "    <Species Name=\"S" + std::to_string(i) +
                "\" Category=\"Adsorbate\" Radius=\"1\" Charge=\"0\" Color=\"FF" +
                std::to_string(100000 + i) + "\"/>\n";
    text += "  </SpeciesList>\n";
    std::string processes;
    int count = 0;
    for (SecondSite second : {SecondSite{"( 0 , 0 / 4 )", "hollow"}, SecondSite{"( 0 , 0 / 2 )", "bridge"}})
        for (int a = 0; a < kAdsorbates && count < wanted; ++a)
            for (int b = 0; b < kAdsorbates && count < wanted; ++b)
                count = AppendPairProcesses(processes, count, wanted, a, b, second);
    return text + "  <ProcessList NumberOfProcesses=\"" + std::to_string(count) + "\">\n" + processes +
           "  </ProcessList>\n</ProcessesDocument>\n";
}

}  // namespace bench
