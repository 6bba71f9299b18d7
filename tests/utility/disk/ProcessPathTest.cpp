#include "utility/disk/ProcessMatch.h"
#include "utility/disk/ProcessPath.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace UProcessPath;
using UProcessMatch::CollectIds;
using UProcessMatch::FilterByFileName;
using UProcessMatch::FilterByPath;

namespace {
std::wstring Joined(const SplitParts& p) { return p.drive + L"|" + p.dir + L"|" + p.fname + L"|" + p.ext; }

// Image paths by id; ids not listed have an unreadable image.
struct FakeProcesses {
    std::map<uint32_t, std::wstring> images;
    std::list<uint32_t> Ids() const {
        std::list<uint32_t> ids;
        for (const auto& p : images) ids.push_back(p.first);
        ids.push_back(999);  // listed but unreadable
        return ids;
    }
    UProcessMatch::ImagePathFn Reader() const {
        return [this](uint32_t id) {
            auto it = images.find(id);
            return it == images.end() ? std::wstring() : it->second;
        };
    }
};
}  // namespace

TEST(ProcessPath, SplitsLikeTheRuntime) {
    EXPECT_EQ(Joined(SplitPath(L"C:\\tools\\x.exe")), L"C:|\\tools\\|x|.exe");
    EXPECT_EQ(Joined(SplitPath(L"C:x.tar.gz")), L"C:||x.tar|.gz");
    EXPECT_EQ(Joined(SplitPath(L"a/b.c\\d")), L"|a/b.c\\|d|") << "a dot in a folder is no extension";
    EXPECT_EQ(Joined(SplitPath(L"\\\\srv\\share\\.hidden")), L"|\\\\srv\\share\\||.hidden");
    EXPECT_EQ(Joined(SplitPath(L"dir\\name.")), L"|dir\\|name|.");
    EXPECT_EQ(Joined(SplitPath(L"dir\\")), L"|dir\\||");
    EXPECT_EQ(Joined(SplitPath(L"\\??\\D:\\x.exe")), L"|\\??\\D:\\|x|.exe")
        << "only a colon in the second place makes a drive";
    EXPECT_EQ(Joined(SplitPath(L"")), L"|||");
}

TEST(ProcessPath, OverlongComponentsAreKeptWhole) {
    std::wstring longName(300, L'n');
    std::wstring longExt = L"." + std::wstring(300, L'e');
    SplitParts parts = SplitPath(L"C:\\dir\\" + longName + longExt);
    EXPECT_EQ(parts.fname, longName);
    EXPECT_EQ(parts.ext, longExt);
    EXPECT_EQ(FileNameOf(L"C:\\dir\\" + longName + L".exe"), longName + L".exe");
}

TEST(ProcessPath, FileNameIsBaseNameAndExtensionOfTheLastComponent) {
    EXPECT_EQ(FileNameOf(L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"), L"chrome.exe");
    EXPECT_EQ(FileNameOf(L"C:chrome.exe"), L"chrome.exe");
    EXPECT_EQ(FileNameOf(L"D:/a/b/CHROME.EXE"), L"CHROME.EXE");
    EXPECT_EQ(FileNameOf(L"D:\\a\\"), L"");
}

TEST(ProcessPath, CaseIsIgnoredBeyondAscii) {
    EXPECT_TRUE(EqualNoCase(L"Chrome.exe", L"CHROME.EXE"));
    EXPECT_TRUE(EqualNoCase(L"\u00e9t\u00e9.exe", L"\u00c9T\u00c9.EXE")) << "Latin-1 letters";
    EXPECT_TRUE(EqualNoCase(L"\u0444\u0430\u0439\u043b", L"\u0424\u0410\u0419\u041b")) << "Cyrillic";
    EXPECT_FALSE(EqualNoCase(L"chrome.exe", L"chrome.exe.bak"));
    EXPECT_FALSE(EqualNoCase(L"chrome.exe", L"chrome.exf"));
    EXPECT_FALSE(EqualNoCase(L"a", L""));
}

TEST(ProcessPath, NtPrefixIsDroppedOnlyBeforeADrive) {
    EXPECT_EQ(StripNtPrefix(L"\\??\\D:\\tools\\x.exe"), L"D:\\tools\\x.exe");
    EXPECT_EQ(StripNtPrefix(L"\\??\\UNC\\srv\\x.exe"), L"\\??\\UNC\\srv\\x.exe");
    EXPECT_EQ(StripNtPrefix(L"\\??\\D:x.exe"), L"\\??\\D:x.exe");
    EXPECT_EQ(StripNtPrefix(L"\\??\\D:"), L"\\??\\D:");
    EXPECT_EQ(StripNtPrefix(L"D:\\tools\\x.exe"), L"D:\\tools\\x.exe");
    EXPECT_EQ(StripNtPrefix(L"\\\\?\\D:\\x.exe"), L"\\\\?\\D:\\x.exe");
}

TEST(ProcessPath, DriveDeviceReplacedAtAComponentBoundary) {
    std::vector<DriveDevice> drives = {{L'C', L"\\Device\\HarddiskVolume1"},
                                       {L'D', L"\\Device\\HarddiskVolume10"},
                                       {L'Z', L"\\Device\\HarddiskVolume2"}};
    std::wstring path = L"\\Device\\HarddiskVolume10\\tools\\x.exe";
    EXPECT_TRUE(ReplaceDrivePrefix(path, drives));
    EXPECT_EQ(path, L"D:\\tools\\x.exe") << "Volume1 must not claim Volume10";

    path = L"\\device\\harddiskvolume2\\a.exe";
    EXPECT_TRUE(ReplaceDrivePrefix(path, drives));
    EXPECT_EQ(path, L"Z:\\a.exe");

    path = L"\\Device\\HarddiskVolume3\\a.exe";
    EXPECT_FALSE(ReplaceDrivePrefix(path, drives));
    EXPECT_EQ(path, L"\\Device\\HarddiskVolume3\\a.exe");

    std::vector<DriveDevice> slashEnded = {{L'E', L"\\??\\unix\\"}};
    path = L"\\??\\unix\\home\\a.exe";
    EXPECT_TRUE(ReplaceDrivePrefix(path, slashEnded));
    EXPECT_EQ(path, L"E:\\home\\a.exe");
}

TEST(ProcessPath, DeviceTargetBecomesABackslash) {
    std::vector<std::wstring> targets = {L"", L"\\Device\\Mup2", L"\\Device\\Mup", L"\\Device\\Mup\\second"};
    std::wstring path = L"\\Device\\Mup\\server\\share\\x.exe";
    EXPECT_TRUE(ReplaceDeviceTarget(path, targets)) << "an empty target claims nothing";
    EXPECT_EQ(path, L"\\\\server\\share\\x.exe");

    path = L"\\Device\\Other\\x.exe";
    EXPECT_FALSE(ReplaceDeviceTarget(path, targets));
    EXPECT_EQ(path, L"\\Device\\Other\\x.exe");
}

TEST(ProcessPath, MultiStringStopsAtTheEmptyStringOrTheLength) {
    using namespace std::string_literals;
    std::wstring list = L"C:\0PhysicalDrive0\0UNC\0\0junk\0"s;
    auto strings = SplitMultiString(list.data(), list.size());
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_EQ(strings[1], L"PhysicalDrive0");
    EXPECT_EQ(strings[2], L"UNC");

    const wchar_t cut[] = {L'a', 0, L'b', L'c'};
    strings = SplitMultiString(cut, 4);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[1], L"bc");
    EXPECT_TRUE(SplitMultiString(cut, 0).empty());
}

TEST(ProcessPath, ExeExtensionOfTheLastComponent) {
    EXPECT_TRUE(HasExeExtension(L"C:\\x\\PROG.EXE"));
    EXPECT_TRUE(HasExeExtension(L"C:\\x\\prog.Exe"));
    EXPECT_FALSE(HasExeExtension(L"C:\\x\\prog.dll"));
    EXPECT_FALSE(HasExeExtension(L"C:\\x.exe\\prog"));
    EXPECT_FALSE(HasExeExtension(L"C:\\x\\prog.exe.bak"));
}

TEST(ProcessMatch, FileNameMatchesInAnyFolderAndIgnoresCase) {
    FakeProcesses p;
    p.images = {{4, L"C:\\Program Files\\Google\\Chrome\\Application\\CHROME.EXE"},
                {8, L"D:\\portable\\chrome.exe"},
                {12, L"C:\\backup\\chrome.exe.bak"},
                {16, L"C:\\chrome.exe\\other.exe"},
                {20, L"C:\\Windows\\explorer.exe"}};
    std::list<uint32_t> found = {77};
    EXPECT_TRUE(FilterByFileName(p.Ids(), p.Reader(), L"Chrome.exe", found));
    EXPECT_EQ(found, (std::list<uint32_t>{4, 8}));

    EXPECT_FALSE(FilterByFileName(p.Ids(), p.Reader(), L"chrome", found));
    EXPECT_TRUE(found.empty()) << "the list is emptied even when nothing matches";
    EXPECT_FALSE(FilterByFileName(p.Ids(), p.Reader(), L"", found)) << "unreadable images never match";
}

TEST(ProcessMatch, PathMatchesWholePathIgnoringCase) {
    FakeProcesses p;
    p.images = {{4, L"C:\\Tools\\Run.exe"}, {8, L"C:\\Tools\\Run.exe.old"}, {9, L"D:\\Tools\\Run.exe"}};
    std::list<uint32_t> found;
    EXPECT_TRUE(FilterByPath(p.Ids(), p.Reader(), L"c:\\tools\\RUN.EXE", found));
    EXPECT_EQ(found, (std::list<uint32_t>{4}));
    EXPECT_FALSE(FilterByPath(p.Ids(), p.Reader(), L"", found))
        << "an empty path must not pick the unreadable processes";
    EXPECT_TRUE(found.empty());
}

TEST(ProcessMatch, CollectIdsGrowsUntilTheAnswerFits) {
    for (uint32_t running : {0u, 1u, 2u, 3u, 64u, 65u, 1000u}) {
        int calls = 0;
        std::list<uint32_t> ids = {42};
        bool any = CollectIds(
            [&](uint32_t* buffer, uint32_t capacity, uint32_t* count) {
                ++calls;
                uint32_t n = running < capacity ? running : capacity;
                for (uint32_t i = 0; i < n; ++i) buffer[i] = 100 + i;
                *count = n;
                return true;
            },
            ids);
        EXPECT_EQ(any, running > 0) << running;
        ASSERT_EQ(ids.size(), running) << running;
        if (running) {
            EXPECT_EQ(ids.front(), 100u);
            EXPECT_EQ(ids.back(), 100 + running - 1);
        }
        // Room for 1, 2, 4, ...: one call more than the doublings needed to exceed running.
        int expected = 1;
        for (uint32_t room = 1; room <= running; room *= 2) ++expected;
        EXPECT_EQ(calls, expected) << running;
    }
}

TEST(ProcessMatch, CollectIdsFailureAndRunawayEnumerator) {
    std::list<uint32_t> ids = {1, 2};
    EXPECT_FALSE(CollectIds([](uint32_t*, uint32_t, uint32_t*) { return false; }, ids));
    EXPECT_TRUE(ids.empty());

    // An enumerator that always fills the buffer (and claims more) stops at the cap.
    EXPECT_TRUE(CollectIds(
        [](uint32_t* buffer, uint32_t capacity, uint32_t* count) {
            for (uint32_t i = 0; i < capacity; ++i) buffer[i] = i;
            *count = capacity + 5;
            return true;
        },
        ids));
    EXPECT_EQ(ids.size(), UProcessMatch::kMaxIds);
}
