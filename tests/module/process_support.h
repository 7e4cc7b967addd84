// A small model for the process tests: a document with a square lattice, three species and a
// process list linked to both, with helpers that shape processes and read their verdicts.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "process/process_list.h"
#include "support.h"

namespace kmctest {

// Reads a verdict query of the form (message, flag) or (…, message, flag).
struct VerdictText {
    bool holds = false;
    std::string message;
    friend bool operator==(const VerdictText&, const VerdictText&) = default;
    friend std::ostream& operator<<(std::ostream& out, const VerdictText& v) {
        return out << (v.holds ? "holds" : "fails") << " \"" << v.message << '"';
    }
};

template <class Call>
VerdictText AskVerdict(Call&& call) {
    NoxBSTR message;
    VARIANT_BOOL flag = 7;
    EXPECT_EQ(call(message.Put(), &flag), S_OK) << TakeErrorDescription();
    return {flag == VARIANT_TRUE, message.ToTString()};
}

// Lattice sites: 1 top, 2 and 3 bridges, 4 hollow (all adsorption sites), 5 a substrate top.
// Species: CO and O (adsorbates), Pt (substrate); the vacancy symbol is "V".
class ModelFixture : public ::testing::Test {
protected:
    ModelFixture() {
        ON_CALL(document_, CanEdit()).WillByDefault(::testing::Return(NoxResult(S_OK)));
        lattice_->SetParent(&document_, nullptr, processes_.Get(), nullptr);
        species_->SetParent(&document_, nullptr, processes_.Get(), nullptr);
        processes_->SetParent(&document_, nullptr, lattice_.Get(), species_.Get());
        for (const char* type : {"Top", "Bridge", "Hollow"})
            EXPECT_EQ(CreateSite(*lattice_, "Adsorption site", type), S_OK);
        EXPECT_EQ(CreateSite(*lattice_, "Substrate site", "Top"), S_OK);
        for (const char* name : {"CO", "O", "Pt"}) {
            NoxComPtr<IVxKMCSpecies> species;
            EXPECT_EQ(species_->CreateSpecies(Text(name).Get(), species.Put()), S_OK);
            if (std::string(name) == "Pt") {
                EXPECT_EQ(species->put_Category(Text("Substrate").Get()), S_OK);
            }
        }
    }

    NoxComPtr<IVxKMCProcess> NewProcess(const char* type) {
        NoxComPtr<IVxKMCProcess> process;
        EXPECT_EQ(processes_->CreateProcess(Text(type).Get(), process.Put()), S_OK);
        return process;
    }

    static NoxComPtr<IVxKMCActiveSite> ActiveSite(IVxKMCProcess* process, LONG index) {
        NoxComPtr<IVxKMCActiveSite> site;
        EXPECT_EQ(process->get_ActiveSite(index, site.Put()), S_OK) << TakeErrorDescription();
        return site;
    }

    // Gives an active site its type, address and patterns.
    static void Shape(IVxKMCActiveSite* site, vxKMCActiveSiteType type, const char* address, const char* source,
                      const char* result) {
        NoxComPtr<IVxKMCSiteSpecification> spec;
        ASSERT_EQ(site->get_SiteSpecification(spec.Put()), S_OK);
        ASSERT_EQ(spec->put_SiteDetailsAsString(Text(address).Get()), S_OK);
        ASSERT_EQ(site->SetSiteDetails(type, spec.Get(), Text(source).Get(), Text(result).Get()), S_OK)
            << TakeErrorDescription();
    }

    // A diffusion of `species` from `from` to `to`.
    NoxComPtr<IVxKMCProcess> Diffusion(const char* identifier, const char* species, const char* from,
                                       const char* to) {
        NoxComPtr<IVxKMCProcess> process = NewProcess("Diffusion");
        EXPECT_EQ(process->put_Identifier(Text(identifier).Get()), S_OK);
        Shape(ActiveSite(process.Get(), 0).Get(), vxKMCActiveSiteTypeSource, from, species, "");
        Shape(ActiveSite(process.Get(), 1).Get(), vxKMCActiveSiteTypeDestination, to, "", species);
        return process;
    }

    NoxComPtr<IVxKMCBlockingSite> AddEnabling(IVxKMCProcess* process, const char* address, const char* pattern) {
        NoxComPtr<IVxKMCBlockingSite> site;
        EXPECT_EQ(process->AddBlockingSite(site.Put()), S_OK);
        NoxComPtr<IVxKMCSiteSpecification> spec;
        EXPECT_EQ(site->get_SiteSpecification(spec.Put()), S_OK);
        EXPECT_EQ(spec->put_SiteDetailsAsString(Text(address).Get()), S_OK);
        EXPECT_EQ(site->put_SourcePattern(Text(pattern).Get()), S_OK);
        return site;
    }

    static std::string Read(IVxKMCProcess* process, HRESULT (IVxKMCProcess::*get)(BSTR*)) {
        NoxBSTR text;
        EXPECT_EQ((process->*get)(text.Put()), S_OK);
        return text.ToTString();
    }

    static VerdictText Validity(IVxKMCProcess* process, LONG number = 0) {
        return AskVerdict([&](BSTR* m, VARIANT_BOOL* v) { return process->get_IsValid(number, m, v); });
    }

    ::testing::NiceMock<MockDocument> document_;
    NoxComPtr<KMCProcessList> processes_ = KMCProcessList::Create();
    NoxComPtr<KMCLattice> lattice_ = MakeLattice("Square", "p 4 m m");
    NoxComPtr<KMCSpeciesList> species_ = KMCSpeciesList::Create();
};

}  // namespace kmctest
