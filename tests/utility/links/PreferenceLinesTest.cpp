// Firefox's preference lines and Profiles.ini rules, byte for byte.
#include <gtest/gtest.h>

#include "utility/links/PreferenceLines.h"
#include "utility/links/Utf8Text.h"

using namespace UBrowserFirefox;

namespace {

const std::string kRam = "R:\\\\Cache";  // as written in a file
const std::string kRamLine = "user_pref(\"browser.cache.disk.parent_directory\",\"R:\\\\Cache\");";

bool AnyCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string Set(const std::string& bytes, const std::string& folder = "R:\\Cache") {
    CPreferenceText text(bytes);
    text.SetCachePreference(folder, [&folder](const std::string& current) { return AnyCase(current, folder); });
    return text.Bytes();
}

std::string Remove(const std::string& bytes) {
    CPreferenceText text(bytes);
    text.RemoveCachePreference();
    return text.Bytes();
}

}  // namespace

TEST(PreferenceLines, ReadsArgumentsAsTheLineSaysAndNothingElse) {
    struct Case {
        std::string line;
        bool cache;
        std::string folder;
    } cases[] = {
        {kRamLine, true, "R:\\Cache"},
        {"user_pref(\"BROWSER.cache.disk.PARENT_directory\",\"D:\\\\x\");", true, "D:\\x"},
        {"user_pref(\"browser.cache.disk.parent_directory\",\"C:\\\\a,b \\\"q\\\"\");", true, "C:\\a,b \"q\""},
        {"user_pref(\"browser.cache.disk.parent_directory\",\"C:\\\\\xE3\x83\xA6\\\\c\");", true,
         "C:\\\xE3\x83\xA6\\c"},
        {"user_pref(\"browser.cache.disk.parent_directory\", \"C:\\\\x\");", true, " C:\\x"},
        {" user_pref(\"browser.cache.disk.parent_directory\",\"C:\\\\x\");", false, ""},
        {"user_pref(\"browser.cache.disk.parent_directory\",\"C:\\\\x\")", false, ""},
        {"user_pref(\"browser.cache.disk.parent_directory\",\"C:\\\\x\",1);", false, ""},
        {"user_pref(\"browser.cache.disk.parent_directory\");", false, ""},
        {"user_pref(\"browser.cache.disk.parent_directory_x\",\"C:\\\\x\");", false, ""},
        {"user_pref)\"browser.cache.disk.parent_directory\",\"C:\\\\x\"(;", false, ""},
        {"pref(\"browser.cache.disk.parent_directory\",\"C:\\\\x\");", false, ""},
        {"user_pref(\"browser.cache.disk.parent_directory\",", false, ""},
    };
    for (const Case& c : cases) {
        std::string folder;
        EXPECT_EQ(IsCachePreference(c.line, &folder), c.cache) << c.line;
        if (c.cache) {
            EXPECT_EQ(folder, c.folder) << c.line;
        }
    }
    EXPECT_EQ(CachePreferenceLine("R:\\Cache"), kRamLine);
    std::string folder;
    EXPECT_TRUE(IsCachePreference(CachePreferenceLine("a\\\"b\\"), &folder));
    EXPECT_EQ(folder, "a\\\"b\\");
}

TEST(PreferenceLines, SetAndRemoveChangeOnlyTheCachePreference) {
    const std::string other = "user_pref(\"a.b\", \"x\\\\y \\\"z\\\"\");";
    const std::string handSet = "user_pref(\"browser.cache.disk.parent_directory\",\"D:\\\\\xE3\x82\xAD\");";
    struct Case {
        const char* what;
        std::string file, afterSet, afterRemove;
    } cases[] = {
        {"empty file", "", kRamLine + "\r\n", ""},
        {"CRLF lines", "// c\r\n" + other + "\r\n", "// c\r\n" + other + "\r\n" + kRamLine + "\r\n",
         "// c\r\n" + other + "\r\n"},
        {"LF only, preference in the middle", "a\n" + handSet + "\nb\n", "a\n" + kRamLine + "\r\nb\n", "a\nb\n"},
        {"CR only", "a\r" + handSet + "\rb", "a\r" + kRamLine + "\r\nb", "a\rb"},
        {"no final line end", "a\r\n" + other, "a\r\n" + other + "\r\n" + kRamLine, "a\r\n" + other},
        {"no final line end, preference last", "a\n" + handSet, "a\n" + kRamLine + "\r\n", "a"},
        {"byte-order mark", "\xEF\xBB\xBF" + handSet + "\r\nz\r\n", "\xEF\xBB\xBF" + kRamLine + "\r\nz\r\n",
         "\xEF\xBB\xBFz\r\n"},
        {"two preferences", handSet + "\r\nm\r\n" + handSet, kRamLine + "\r\nm\r\n", "m"},
        {"preference over two lines", "user_pref(\"browser.cache.disk.parent_directory\",\r\n\"D:\\\\x\");\r\n",
         "user_pref(\"browser.cache.disk.parent_directory\",\r\n\"D:\\\\x\");\r\n" + kRamLine + "\r\n",
         "user_pref(\"browser.cache.disk.parent_directory\",\r\n\"D:\\\\x\");\r\n"},
        {"blank lines and a lone CR kept", "\r\n\r\r\n\n", "\r\n\r\r\n\n" + kRamLine + "\r\n", "\r\n\r\r\n\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Set(c.file), c.afterSet) << c.what;
        EXPECT_EQ(Set(c.afterSet), c.afterSet) << c.what << ": setting again changes nothing";
        EXPECT_EQ(Remove(c.file), c.afterRemove) << c.what;
        std::string handFolder;
        if (!CPreferenceText(c.file).FindCachePreference(handFolder)) {
            EXPECT_EQ(Remove(c.afterSet), c.file) << c.what << ": switched on and off, the file is as it was";
        }
    }
    CPreferenceText same(kRamLine + "\n");
    EXPECT_FALSE(same.SetCachePreference("r:\\cache", [](const std::string& f) { return AnyCase(f, "r:\\cache"); }));
    EXPECT_EQ(same.Bytes(), kRamLine + "\n") << "a preference already naming the folder leaves the file alone";
}

TEST(PreferenceLines, AHugeFileChangesInOneLineOnly) {
    std::string before, after;
    for (int i = 0; i < 100000; ++i)
        before += "user_pref(\"p" + std::to_string(i) + "\", " + std::to_string(i) + ");\n";
    after = before;
    const std::string handSet = "user_pref(\"browser.cache.disk.parent_directory\",\"E:\\\\old\");";
    const std::string file = before + handSet + "\n" + after;
    EXPECT_EQ(Set(file), before + kRamLine + "\r\n" + after);
    EXPECT_EQ(Remove(file), before + after);
    std::string found;
    EXPECT_TRUE(CPreferenceText(file).FindCachePreference(found));
    EXPECT_EQ(found, "E:\\old");
}

TEST(Utf8Text, MalformedBytesNeverDecodeToARealPath) {
    EXPECT_EQ(UUtf8Text::ToWide("a\x80"
                                "b\xC0\xAF"
                                "c\xE3\x83"
                                "d\xED\xA0\x80"
                                "e\xF4\x90\x80\x80"),
              L"a\uFFFDb\uFFFD\uFFFDc\uFFFDd\uFFFDe\uFFFD");
}
