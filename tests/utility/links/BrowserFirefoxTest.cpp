// Firefox's cache on the RAM disk, against real profile files under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/BrowserTestProcess.h"

// The copies that stand for a running browser wait here instead of running the tests.
const bool g_browserCopy = BrowserTestProcess::WaitIfCopy();

namespace {

std::vector<char> Bytes(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

std::string Text(const std::wstring& path) {
    const std::vector<char> data = ScratchFolder::Read(path);
    return std::string(data.begin(), data.end());
}

const std::string kPreference = "user_pref(\"browser.cache.disk.parent_directory\",";

// A roaming root with a Japanese name holding Profiles.ini and the default profile's folder.
struct Firefox {
    explicit Firefox(const ScratchFolder& scratch, const std::string& ini = std::string()) {
        root = scratch / L"ユーザー";
        ScratchFolder::MakeFolder(root);
        profile = root + L"\\Profiles\\ab12.default";
        ScratchFolder::MakeFolder(root + L"\\Profiles");
        ScratchFolder::MakeFolder(profile);
        ScratchFolder::Write(
            root + L"\\Profiles.ini",
            Bytes(ini.empty() ? "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=other\r\n"
                                "IsRelative=1\r\nPath=Profiles/zz.other\r\n\r\n[Profile1]\r\nName=default\r\n"
                                "IsRelative=1\r\nPath=Profiles/ab12.default\r\nDefault=1\r\n"
                              : ini));
    }
    std::wstring root, profile;
};

}  // namespace

TEST(BrowserFirefox, ApplyTwiceEnableAgainAndUndoAgainstRealProfileFiles) {
    ScratchFolder scratch;
    Firefox firefox(scratch);
    // prefs.js names a hand-set cache in a folder with a Japanese name (UTF-8 in the file).
    const std::wstring old = scratch / L"古いキャッシュ";
    ScratchFolder::MakeFolder(old);
    ScratchFolder::MakeFolder(old + L"\\Cache");
    ScratchFolder::MakeFolder(old + L"\\Cache\\0");
    ASSERT_TRUE(ScratchFolder::Write(old + L"\\Cache\\0\\entry", Bytes("cached")));
    std::string oldInFile;
    {
        char buffer[1024] = {};
        WideCharToMultiByte(CP_UTF8, 0, old.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
        for (const char* p = buffer; *p; ++p) oldInFile += *p == '\\' ? std::string("\\\\") : std::string(1, *p);
    }
    const std::string prefsHead = "// Mozilla User Preferences\n\nuser_pref(\"app.update\", \"a\\\"b\\\\c\");\n";
    const std::string prefsTail = "user_pref(\"zoom\", 1);\n";
    ASSERT_TRUE(ScratchFolder::Write(firefox.profile + L"\\prefs.js",
                                     Bytes(prefsHead + kPreference + "\"" + oldInFile + "\");\n" + prefsTail)));
    const std::string userHead = "\xEF\xBB\xBFuser_pref(\"a\", 1);\r\nuser_pref(\"b\", \"\xE3\x81\x82\");";
    ASSERT_TRUE(ScratchFolder::Write(firefox.profile + L"\\user.js", Bytes(userHead)));
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(firefox.profile), old);

    const std::wstring ram = scratch / L"ram";
    ScratchFolder::MakeFolder(ram);
    const std::wstring target = ram + L"\\Cache";
    ScratchFolder::MakeFolder(target);
    std::string targetInFile;
    for (wchar_t c : target) targetInFile += c == L'\\' ? std::string("\\\\") : std::string(1, static_cast<char>(c));
    // user.js ended without a line end, and still does.
    const std::string userJs = userHead + "\r\n" + kPreference + "\"" + targetInFile + "\");";

    bool changed = false;
    ASSERT_TRUE(UBrowserFirefox::Apply(firefox.root, target, changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), userJs);
    EXPECT_EQ(Text(firefox.profile + L"\\prefs.js"), prefsHead + prefsTail) << "the hand-set line moves to user.js";
    EXPECT_EQ(Text(target + L"\\Cache\\0\\entry"), "cached");
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(firefox.profile), target);

    ASSERT_TRUE(UBrowserFirefox::Apply(firefox.root, target, changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), userJs) << "byte-identical the second time";

    ScratchFolder::RemoveTree(ram);  // the disk comes back empty
    ScratchFolder::MakeFolder(ram);
    ScratchFolder::MakeFolder(target);
    ASSERT_TRUE(UBrowserFirefox::Apply(firefox.root, target, changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), userJs);

    ScratchFolder::MakeFolder(target + L"\\Cache");
    ASSERT_TRUE(ScratchFolder::Write(target + L"\\Cache\\new", Bytes("n")));
    ASSERT_TRUE(UBrowserFirefox::Undo(firefox.root, changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), userHead) << "as it was, byte for byte";
    EXPECT_EQ(Text(firefox.profile + L"\\prefs.js"), prefsHead + prefsTail);
    EXPECT_FALSE(ScratchFolder::Exists(target + L"\\Cache"));
    EXPECT_TRUE(ScratchFolder::Exists(target)) << "only the Cache subfolder goes";
    EXPECT_EQ(Text(old + L"\\Cache\\0\\entry"), "cached") << "the old folder was copied, never moved";

    ASSERT_TRUE(UBrowserFirefox::Undo(firefox.root, changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), userHead);
    EXPECT_FALSE(ScratchFolder::Exists(firefox.profile + L"\\user.js.vmx-new"));
}

TEST(BrowserFirefox, AnAbsoluteProfilePathWithForwardSlashesOrNoProfileAtAll) {
    ScratchFolder scratch;
    std::string root;
    for (wchar_t ch : scratch.Path()) root += ch == L'\\' ? '/' : static_cast<char>(ch);
    Firefox firefox(scratch, "[Profile0]\r\nPath=" + root + "/abs\r\nIsRelative=0\r\nDefault=1\r\n");
    ScratchFolder::MakeFolder(scratch / L"abs");
    bool changed = false;
    EXPECT_TRUE(UBrowserFirefox::Apply(firefox.root, scratch / L"R", changed));
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(scratch / L"abs"), scratch / L"R");

    Firefox none(scratch, "[General]\r\nStartWithLastProfile=1\r\n[Profile1]\r\nPath=Profiles/ab12.default\r\n");
    EXPECT_FALSE(UBrowserFirefox::Apply(none.root, scratch / L"R", changed));
    EXPECT_FALSE(UBrowserFirefox::Undo(none.root, changed));
    EXPECT_FALSE(ScratchFolder::Exists(none.profile + L"\\user.js"));
    EXPECT_FALSE(UBrowserFirefox::Apply(scratch / L"nothing", scratch / L"R", changed)) << "no Profiles.ini";
}

TEST(BrowserFirefox, AFailedWriteLeavesBothFilesWhole) {
    ScratchFolder scratch;
    Firefox firefox(scratch);
    const std::string user = "user_pref(\"a\", 1);\r\n" + kPreference + "\"D:\\\\x\");\r\nuser_pref(\"z\", 2);\r\n";
    const std::string prefs = kPreference + "\"E:\\\\y\");\n";
    ASSERT_TRUE(ScratchFolder::Write(firefox.profile + L"\\user.js", Bytes(user)));
    ASSERT_TRUE(ScratchFolder::Write(firefox.profile + L"\\prefs.js", Bytes(prefs)));
    const std::wstring target = scratch / L"R-Cache";
    ScratchFolder::MakeFolder(target);
    bool changed = true;
    {
        // Held open without delete sharing: the new text cannot take the old one's place.
        const CHandle held(CreateFileW((firefox.profile + L"\\user.js").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        EXPECT_FALSE(UBrowserFirefox::Apply(firefox.root, target, changed));
        EXPECT_FALSE(changed);
        EXPECT_FALSE(UBrowserFirefox::Undo(firefox.root, changed));
    }
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), user);
    EXPECT_EQ(Text(firefox.profile + L"\\prefs.js"), prefs);
    EXPECT_FALSE(ScratchFolder::Exists(firefox.profile + L"\\user.js.vmx-new"));

    // The new text cannot even be written (a folder is in the way of the new file).
    ASSERT_TRUE(ScratchFolder::MakeFolder(firefox.profile + L"\\user.js.vmx-new"));
    EXPECT_FALSE(UBrowserFirefox::Apply(firefox.root, target, changed));
    EXPECT_EQ(Text(firefox.profile + L"\\user.js"), user);
    EXPECT_EQ(Text(firefox.profile + L"\\prefs.js"), prefs);
}
