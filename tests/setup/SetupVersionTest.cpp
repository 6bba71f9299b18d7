// The launcher's version comparison and its command line (portable: runs natively and under Wine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/SetupSwitches.h"
#include "setup/SetupVersion.h"

using USetupVersion::EOrder;

TEST(SetupVersion, ComparesFieldByFieldAndRefusesMalformedTexts) {
    struct Case {
        const wchar_t* package;
        const wchar_t* installed;
        EOrder order;
    } cases[] = {
        {L"1.1.0.3", L"1.1.0.2", EOrder::Newer},
        {L"1.1.0", L"1.1.0.0", EOrder::Older},  // the longer list is the greater
        {L"1.10", L"1.9", EOrder::Newer},       // numbers, not texts
        {L"2", L"1.99.99", EOrder::Newer},
        {L"1.1.0", L"1.1.0", EOrder::Equal},
        {L"01.001.0", L"1.1.0", EOrder::Equal},  // leading zeros are the same number
        {L"4294967295", L"4294967294", EOrder::Newer},
        {L"", L"1.1.0", EOrder::Malformed},
        {L"1.1.0", L"", EOrder::Malformed},
        {L"1..0", L"1.1.0", EOrder::Malformed},
        {L"1.1.", L"1.1.0", EOrder::Malformed},
        {L"1.1a", L"1.1.0", EOrder::Malformed},
        {L"1.1.0", L"v1.1.0", EOrder::Malformed},
        {L"1. 1", L"1.1", EOrder::Malformed},
        {L"4294967296", L"1", EOrder::Malformed},  // past 32 bits
        {L"1.\x0661", L"1.1", EOrder::Malformed},  // only ASCII digits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(USetupVersion::Compare(c.package, c.installed), c.order)
            << "package '" << std::string(c.package, c.package + wcslen(c.package)).c_str() << "' installed '"
            << std::string(c.installed, c.installed + wcslen(c.installed)).c_str() << "'";
    }
}

TEST(SetupSwitches, OnlyTheExactPassThroughSwitchReachesTheInstaller) {
    struct Case {
        std::vector<std::wstring> arguments;
        const wchar_t* passThrough;
    } cases[] = {
        {{}, L""},
        {{L"/qn"}, L" /qn"},
        {{L"-qn"}, L" -qn"},
        {{L"/QN"}, L""},
        {{L"/passive"}, L""},
        {{L"qn"}, L""},
        {{L"/qn2"}, L""},
        {{L"/"}, L""},
        {{L""}, L""},
        {{L"/passive", L"/qn", L"x", L"-qn"}, L" /qn -qn"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(USetupSwitches::PassThrough(c.arguments), c.passThrough) << c.arguments.size() << " arguments";
    }
    EXPECT_EQ(USetupSwitches::InstallerParameters(L"C:\\t\\VelmoraEX.msi", L" /qn"),
              L"/I \"C:\\t\\VelmoraEX.msi\" /qn REINSTALL=ALL REINSTALLMODE=voums");
    EXPECT_EQ(USetupSwitches::InstallerParameters(L"C:\\t\\VelmoraEX.msi", L""),
              L"/I \"C:\\t\\VelmoraEX.msi\" REINSTALL=ALL REINSTALLMODE=voums");
}
