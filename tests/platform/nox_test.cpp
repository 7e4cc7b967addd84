// The component framework's own pieces: results, the formatter, the locale scope and the
// shutdown caller.
#include <gtest/gtest.h>

#include <cstdlib>

#include <limits>
#include <sstream>

#include "com/oleauto.h"
#include "com_fake_object.h"
#include "nox/format.h"
#include "nox/locale.h"
#include "nox/result.h"
#include "nox/shutdown.h"
#include "nox/strings.h"

namespace {

TEST(NoxFormatTest, FillsPlaceholdersInInsertionOrderAndDoublesReadBackExactly) {
    std::string text = NoxFormat("Process %1 (%2) is a replicate of process %3 (%4)\n")
                       << 2 << "Ads" << 10L << "Des";
    EXPECT_EQ(text, "Process 2 (Ads) is a replicate of process 10 (Des)\n");
    EXPECT_EQ(std::string(NoxFormat("%2 before %1") << "a"
                                                    << "b"),
              "b before a");
    EXPECT_EQ(std::string(NoxFormat("%1 and %3 and 100%") << "x"), "x and %3 and 100%");
    EXPECT_EQ(std::string(NoxFormat("%1") << std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(std::string(NoxFormat("%1") << u"wide"), "wide");
    for (double value : {0.1, 0.1 + 0.2, 1e300, -2.5, 1.0 / 3.0}) {
        std::string number = NoxFormat("%1") << value;
        EXPECT_EQ(std::stod(number), value) << number;
    }
    EXPECT_EQ(std::string(NoxFormat("%1") << 5.0), "5");
}

// Integers are written as a stream in the formatter's locale writes them: plain digits outside a
// localization scope, the user's grouping inside one.
TEST(NoxFormatTest, IntegersFollowTheLocaleOfTheScopeTheFormatterWasMadeIn) {
    const auto text = [](auto value) { return std::string(NoxFormat("%1") << value); };
    EXPECT_EQ(text(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(text(std::numeric_limits<uint64_t>::max()), "18446744073709551615");
    EXPECT_EQ(text(short{-7}), "-7");
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    {
        NoxLocalizationEnabler user;
        std::ostringstream stream;
        stream.imbue(nox::CurrentStreamLocale());
        stream << 1234567 << ' ' << -1234567LL;
        EXPECT_EQ(std::string(NoxFormat("%1 %2") << 1234567 << -1234567LL), stream.str());
    }
    saved != nullptr ? ::setenv("LC_ALL", previous.c_str(), 1) : ::unsetenv("LC_ALL");
    EXPECT_EQ(text(1234567), "1234567");
}

TEST(NoxLocaleTest, ScopesNestAndRestore) {
    EXPECT_EQ(NoxLocalizationEnabler::Current(), nullptr);
    {
        NoxLocalizationEnabler outer;
        {
            NoxLocalizationEnabler inner;
            EXPECT_EQ(NoxLocalizationEnabler::Current(), &inner);
        }
        EXPECT_EQ(NoxLocalizationEnabler::Current(), &outer);
    }
    EXPECT_EQ(NoxLocalizationEnabler::Current(), nullptr);
    EXPECT_EQ(nox::CurrentStreamLocale(), std::locale::classic());
}

// Each scope reads the environment as it is when the scope opens, however often scopes open.
TEST(NoxLocaleTest, ScopesFollowAChangeOfEnvironment) {
    locale_t probe = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (probe == static_cast<locale_t>(0)) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    freelocale(probe);
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved != nullptr ? saved : "";
    auto separator = [] {
        NoxLocalizationEnabler scope;
        return std::use_facet<std::numpunct<char>>(nox::CurrentStreamLocale()).decimal_point();
    };
    for (const char* name : {"C", "de_DE.UTF-8", "C", "de_DE.UTF-8"}) {
        setenv("LC_ALL", name, 1);
        EXPECT_EQ(separator(), std::string(name) == "C" ? '.' : ',') << name;
        EXPECT_EQ(separator(), std::string(name) == "C" ? '.' : ',') << name;
    }
    saved != nullptr ? setenv("LC_ALL", previous.c_str(), 1) : unsetenv("LC_ALL");
}

TEST(NoxResultTest, DescriptionsTravelThroughErrorInfoAndExcepInfo) {
    IErrorInfo* info = nox::testing::NewErrorInfo(u"The callee's own words.");
    SetErrorInfo(0, info);
    info->Release();
    try {
        nox::Check(E_INVALIDARG);
        FAIL() << "a failure was not raised";
    } catch (const NoxResult& result) {
        EXPECT_EQ(result.Code(), E_INVALIDARG);
        EXPECT_EQ(result.Description(), "The callee's own words.");
    }
    // Without pending error information the standard text stands in.
    EXPECT_THROW(nox::Check(E_POINTER), NoxResult);
    EXPECT_EQ(NoxResult::LastError().Description(), NoxResult::StandardText(E_POINTER));
    EXPECT_EQ(nox::Check(S_FALSE), S_FALSE);
    EXPECT_EQ(NoxResult::LastErrorCheckNotS_OK().Code(), S_FALSE);

    EXCEPINFO excep{};
    EXPECT_EQ(NoxResult(E_UNEXPECTED, "Gone wrong.").CopyToExcepInfo(&excep), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_UNEXPECTED);
    const NoxResult back = NoxResult::ExcepInfoDescription(DISP_E_EXCEPTION, &excep);
    EXPECT_EQ(back.Code(), E_UNEXPECTED);
    EXPECT_EQ(back.Description(), "Gone wrong.");
    SysFreeString(excep.bstrDescription);
    EXPECT_EQ(NoxResult::StandardText(MakeHResult(0x80001234)), "Error 0x80001234.");
}

struct CountingCallback final : NoxOnShutdownCallback {
    int calls = 0;
    void OnShutdown() override { ++calls; }
};

TEST(NoxShutdownTest, RunsRegisteredCallbacksOnce) {
    CountingCallback kept, dropped;
    auto& caller = NoxShutdownCaller::GetSingleton();
    caller.RegisterCallback(&kept);
    caller.RegisterCallback(&kept);
    caller.RegisterCallback(&dropped);
    caller.UnregisterCallback(&dropped);
    caller.Shutdown();
    caller.Shutdown();
    EXPECT_EQ(kept.calls, 1);
    EXPECT_EQ(dropped.calls, 0);
}

}  // namespace
