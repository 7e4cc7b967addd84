// Configurations: reading the configuration string site by site in both formats, its failures
// (hostile strings included), the parse cache, editing and the "Configuration" element.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "configuration/configuration.h"
#include "configuration/configuration_text.h"
#include "support.h"

using namespace kmctest;
using ::testing::Return;

namespace {

constexpr LONG kMaxLong = std::numeric_limits<LONG>::max();

struct Patch {
    LONG u, v, s;
};

struct Site {
    LONG i, j, s;
};

NoxComPtr<KMCConfiguration> MakeConfiguration(Patch patch, const std::string& text) {
    NoxComPtr<KMCConfiguration> configuration = KMCConfiguration::Create();
    EXPECT_EQ(configuration->Initialise(patch.u, patch.v, patch.s), S_OK);
    EXPECT_EQ(configuration->put_Configuration(Text(text.c_str()).Get()), S_OK);
    return configuration;
}

// The entry at `site`, or the failure with its description.
Outcome Read(IVxKMCConfiguration* configuration, Site site) {
    NoxBSTR species;
    const HRESULT hr = configuration->get_Species(site.i, site.j, site.s, species.Put());
    return SUCCEEDED(hr) ? Outcome{hr, species.ToTString()} : Result(hr);
}

Outcome Entry(const std::string& text) { return {S_OK, text}; }

const Outcome kInsufficient{E_UNEXPECTED, "Insufficient values found in configuration string"};
const Outcome kBadPattern{E_UNEXPECTED, "Unexpected values for size of pattern in KMCConfiguration"};
const Outcome kEmpty{
    E_FAIL,
    "The configuration string is empty: it starts with its format code, 1 or 2, followed by the "
    "entries."};
const Outcome kBadIndex{E_UNEXPECTED, "Invalid index for KMCConfiguration::get_Species"};

TEST(ConfigurationTest, ReadsEachSiteOfEitherFormat) {
    struct Case {
        Patch patch;
        std::string text;
        Site site;
        std::string entry;
    };
    const std::vector<Case> cases = {
        {{2, 2, 1}, "1 A B C D", {0, 0, 0}, "A"},
        {{2, 2, 1}, "1 A B C D", {1, 0, 0}, "B"},
        {{2, 2, 1}, "1 A B C D", {0, 1, 0}, "C"},
        {{2, 2, 1}, "1 A B C D", {1, 1, 0}, "D"},
        {{2, 2, 2}, "1 a0 a1 b0 b1 c0 c1 d0 d1", {1, 1, 0}, "d0"},
        {{2, 2, 2}, "1 a0 a1 b0 b1 c0 c1 d0 d1", {0, 1, 1}, "c1"},
        {{4, 4, 1}, "2 2 1 A B", {0, 3, 0}, "A"},
        {{4, 4, 1}, "2 2 1 A B", {1, 2, 0}, "B"},
        {{4, 4, 1}, "2 2 1 A B", {2, 3, 0}, "A"},
        {{3, 3, 1}, "2 1 2 X Y", {2, 1, 0}, "Y"},
        {{3, 3, 1}, "2 1 2 X Y", {1, 2, 0}, "X"},
        {{2, 2, 1}, "   1  A   B C    D   ", {1, 1, 0}, "D"},  // extra and leading spaces
        {{2, 1, 1}, "1 \tA\t CO\n", {1, 0, 0}, "CO\n"},        // only the space separates
        {{4, 1, 1}, "2 2cells +1 A B", {3, 0, 0}, "B"},        // sizes read as leading numbers
        {{2, 1, 1}, "1 A B extra entries are not looked at", {1, 0, 0}, "B"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(MakeConfiguration(c.patch, c.text).Get(), c.site), Entry(c.entry))
            << c.text << " at " << c.site.i << "," << c.site.j << "," << c.site.s;
}

TEST(ConfigurationTest, RefusesWhatTheTextDoesNotHoldWithMessagesThatSayWhy) {
    const std::string millionSpaces(1'000'000, ' ');
    struct Case {
        Patch patch;
        std::string text;
        Site site;
        Outcome outcome;
    };
    const std::vector<Case> cases = {
        {{2, 2, 1},
         "3 A B",
         {0, 0, 0},
         {E_UNEXPECTED, "Unexpected format code in KMCConfiguration - only 1 or 2 can be read"}},
        {{2, 2, 1}, "2 0 1 A", {0, 0, 0}, kBadPattern},
        {{2, 2, 1}, "2 -1 1 A", {0, 0, 0}, kBadPattern},
        {{2, 2, 1}, "2 1 2147483648 A", {0, 0, 0}, kBadPattern},
        {{2, 2, 1},
         "2 5",
         {0, 0, 0},
         {E_FAIL,
          "The configuration string ends before its pattern size: format 2 gives the pattern's width and "
          "height after the format code."}},
        {{2, 2, 1}, "", {0, 0, 0}, kEmpty},
        {{2, 2, 1}, millionSpaces, {1, 1, 0}, kEmpty},
        {{2, 2, 1}, "1 A", {0, 1, 0}, kInsufficient},  // a row before the wanted one is short
        {{2, 2, 1}, "1 A B" + millionSpaces, {0, 1, 0}, kInsufficient},
        {{2, 2, 1},
         "1 A B C",
         {1, 1, 0},
         {E_FAIL,
          "The configuration string ends before entry 1 of pattern row 1 (entries and rows count from 0; a "
          "row "
          "holds 2 entries)."}},
        {{1000, 1000, 1000}, "2 2147483647 2147483647 A", {0, 999, 0}, kInsufficient},
        {{kMaxLong, 1, kMaxLong},
         "1 A B",
         {kMaxLong - 1, 0, kMaxLong - 1},
         {E_FAIL,
          "The configuration string ends before entry 2 of pattern row 0 (entries and rows count from 0; a "
          "row "
          "holds 4611686014132420609 entries)."}},
        {{2, 2, 1}, "1 A B C D", {2, 0, 0}, kBadIndex},
        {{2, 2, 1}, "1 A B C D", {0, 0, 1}, kBadIndex},
        {{2, 2, 1}, "1 A B C D", {-1, 0, 0}, kBadIndex},
        {{2, 2, 1}, "1 A B C D", {0, 0, -1}, kBadIndex},
    };
    for (const Case& c : cases) {
        NoxComPtr<KMCConfiguration> configuration = MakeConfiguration(c.patch, c.text);
        // The same failure on every try, until the text or the patch changes.
        EXPECT_EQ(Read(configuration.Get(), c.site), c.outcome) << c.text.substr(0, 40);
        EXPECT_EQ(Read(configuration.Get(), c.site), c.outcome) << c.text.substr(0, 40);
    }
}

TEST(ConfigurationTest, ReadsBeforeInitialiseSayThatItIsMissingAndRefusedSizesChangeNothing) {
    NoxComPtr<KMCConfiguration> configuration = KMCConfiguration::Create();
    EXPECT_EQ(configuration->put_Configuration(Text("1 A").Get()), S_OK);
    EXPECT_EQ(Read(configuration.Get(), {0, 0, 0}),
              (Outcome{E_UNEXPECTED, "KMCConfiguration must be initialised before access."}));
    EXPECT_EQ(configuration->Initialise(1, 1, 1), S_OK);
    for (Patch sizes : {Patch{0, 1, 1}, Patch{1, -1, 1}, Patch{1, 1, 0}})
        EXPECT_EQ(Result(configuration->Initialise(sizes.u, sizes.v, sizes.s)),
                  (Outcome{E_UNEXPECTED, "Invalid sizes when trying to intialise a configuration"}));
    EXPECT_EQ(Read(configuration.Get(), {0, 0, 0}), Entry("A"));
}

// Rows longer than the spacing of the marks a row keeps, read forwards, backwards and strided.
TEST(ConfigurationTest, AnyReadingOrderGivesTheSameEntries) {
    constexpr LONG kCells = 125;
    std::string text = "1";
    for (LONG site = 0; site < 2 * 2 * kCells; ++site) text += "  e" + std::to_string(site);
    NoxComPtr<KMCConfiguration> configuration = MakeConfiguration({kCells, 2, 2}, text);
    std::vector<Site> order;
    for (LONG j : {1, 0})
        for (LONG step = 0; step < 2 * kCells; ++step) order.push_back({(step * 97) % kCells, j, step % 2});
    for (const auto& sequence : {order, std::vector<Site>(order.rbegin(), order.rend())})
        for (Site site : sequence)
            EXPECT_EQ(Read(configuration.Get(), site),
                      Entry("e" + std::to_string((site.j * kCells + site.i) * 2 + site.s)));
}

TEST(ConfigurationTest, NewTextOrNewSizesDiscardWhatWasRead) {
    NoxComPtr<KMCConfiguration> configuration = MakeConfiguration({2, 2, 1}, "1 A B C D");
    EXPECT_EQ(Read(configuration.Get(), {1, 1, 0}), Entry("D"));
    EXPECT_EQ(configuration->put_Configuration(Text("2 1 1 W").Get()), S_OK);
    EXPECT_EQ(Read(configuration.Get(), {1, 1, 0}), Entry("W"));
    EXPECT_EQ(configuration->put_Configuration(Text("1 P Q R S").Get()), S_OK);
    EXPECT_EQ(Read(configuration.Get(), {0, 1, 0}), Entry("R"));
    EXPECT_EQ(configuration->Initialise(4, 1, 1), S_OK);
    EXPECT_EQ(Read(configuration.Get(), {2, 0, 0}), Entry("R"));
    EXPECT_EQ(Read(configuration.Get(), {0, 0, 0}), Entry("P"));
    EXPECT_EQ(LoadXml(configuration.Get(), R"(<R><Configuration Config="1 X Y Z T"/></R>)"),
              (Outcome{S_OK, ""}));
    EXPECT_EQ(Read(configuration.Get(), {2, 0, 0}), Entry("Z"));
}

TEST(ConfigurationTextTest, RowsFoundStayKnownAndAFailedScanAddsNoneTwice) {
    const std::string text = "1 A B C D E F";  // rows 0 to 2 of a pattern four rows high
    const kmc::PatchSize patch{2, 4, 1};
    kmc::ConfigurationText reader;
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(Raised([&] { reader.EnsureRows(text, patch, 3); }), kInsufficient);
        EXPECT_EQ(reader.KnownRows(), 3u);
    }
    EXPECT_EQ(reader.Entry(text, patch, 1, 2, 0), "F");
    EXPECT_EQ(reader.Entry(text, patch, 0, 1, 0), "C");
    EXPECT_EQ(Raised([&] { reader.EnsureRows(text, patch, 5); }),
              (Outcome{E_UNEXPECTED, "Unexpected index requested in KMCConfiguration::EnsureCacheEnabled"}));
}

TEST(ConfigurationTest, ChangesGoThroughTheDocumentButInitialiseDoesNot) {
    ::testing::StrictMock<MockDocument> document;
    NoxComPtr<KMCConfiguration> configuration = KMCConfiguration::Create();
    configuration->SetParent(&document);
    EXPECT_EQ(configuration->Initialise(1, 1, 1), S_OK);
    EXPECT_CALL(document, CanEdit()).Times(4).WillRepeatedly(Return(NoxResult(S_OK)));
    EXPECT_CALL(document, SetModified(true)).Times(2);
    EXPECT_EQ(configuration->put_Configuration(Text("1 A").Get()), S_OK);
    EXPECT_EQ(configuration->put_FrameTime(2.5), S_OK);
    EXPECT_EQ(Result(configuration->put_FrameTime(std::nan(""))),
              (Outcome{E_INVALIDARG, "Frame time must be a finite number."}));
    EXPECT_EQ(Result(configuration->put_Configuration(Text("1 \x01").Get())).first, E_INVALIDARG);
    EXPECT_CALL(document, CanEdit()).WillOnce(Return(NoxResult(E_ACCESSDENIED, "Read-only.")));
    EXPECT_EQ(Result(configuration->put_Configuration(Text("1 B").Get())),
              (Outcome{E_ACCESSDENIED, "Read-only."}));
    EXPECT_EQ(Read(configuration.Get(), {0, 0, 0}), Entry("A"));
}

TEST(ConfigurationXmlTest, SavesFrameTimeAndTextAndReadsThemBack) {
    NoxComPtr<KMCConfiguration> configuration = MakeConfiguration({2, 1, 1}, "2 1 1 CO");
    EXPECT_EQ(configuration->put_FrameTime(0.1), S_OK);
    const std::string saved = SaveXml(configuration.Get());
    EXPECT_NE(saved.find(R"(<Configuration FrameTime="0.1" Config="2 1 1 CO"/>)"), std::string::npos)
        << saved;
    NoxComPtr<KMCConfiguration> loaded = MakeConfiguration({2, 1, 1}, "1 A B");
    ASSERT_EQ(LoadXml(loaded.Get(), saved), (Outcome{S_OK, ""}));
    EXPECT_EQ(SaveXml(loaded.Get()), saved);
    EXPECT_EQ(Read(loaded.Get(), {1, 0, 0}), Entry("CO"));
    for (const char* file : {"<R/>", "<R><Species/></R>"}) {
        EXPECT_EQ(LoadXml(loaded.Get(), file),
                  (Outcome{E_UNEXPECTED, "Failed to open Configuration element"}));
        EXPECT_EQ(SaveXml(loaded.Get()), saved) << file;
    }
    EXPECT_EQ(LoadXml(loaded.Get(), "<R><Configuration/></R>"), (Outcome{S_OK, ""}));
    EXPECT_NE(SaveXml(loaded.Get()).find(R"(<Configuration FrameTime="0" Config=""/>)"), std::string::npos);
}

}  // namespace
