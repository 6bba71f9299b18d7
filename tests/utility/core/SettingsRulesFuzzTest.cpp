// Random and edge-case texts through the value rules: nothing may crash (the native tree runs
// this under AddressSanitizer), and every accepted value must be one the field allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <random>
#include <string>

#include "utility/core/SettingsRules.h"

namespace {

using namespace USettingsRules;

class TextSource {
public:
    explicit TextSource(uint32_t seed) : m_random(seed) {}

    std::wstring Next() {
        static const wchar_t kAlphabet[] = {
            L'0', L'1', L'2', L'3', L'4', L'7',  L'9', L'+',   L'-',   L' ',   L'\t',  L'\n',  L'a',   L'r',   L'R',
            L'z', L'Z', L'x', L'=', L'.', L'\\', L'[', 0x81EA, 0x52D5, 0x00C4, 0xFF32, 0xD800, 0xFFFF, 0x0663, L'\0'};
        const size_t alphabetSize = sizeof kAlphabet / sizeof kAlphabet[0];
        size_t length;
        switch (Pick(8)) {
            case 0:
                length = 0;
                break;
            case 1:
                length = 1;
                break;
            case 2:
                length = 2;
                break;
            case 3:
                length = 1000 + Pick(5000);
                break;
            default:
                length = Pick(30);
                break;
        }
        std::wstring text;
        if (Pick(6) == 0) text = Pick(2) ? L"\u81EA\u52D5" : L"131072";
        while (text.size() < length) text += kAlphabet[Pick(alphabetSize)];
        return text;
    }

    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }

private:
    std::mt19937 m_random;
};

// strtoll on the part of text a decimal parse can see (it stops at the first non-ASCII character).
int64_t ReferenceParse(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        if (c == 0 || c > 0x7F) break;
        narrow += static_cast<char>(c);
    }
    return std::strtoll(narrow.c_str(), nullptr, 10);
}

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

TEST(SettingsRulesFuzz, SingleValueRules) {
    TextSource source(20240501);
    for (int i = 0; i < 40000; ++i) {
        const std::wstring text = source.Next();
        const int64_t reference = ReferenceParse(text);
        ASSERT_EQ(ParseInt64(text), reference) << i;
        const int64_t clamped = std::min<int64_t>(std::max<int64_t>(reference, std::numeric_limits<int32_t>::min()),
                                                  std::numeric_limits<int32_t>::max());
        ASSERT_EQ(ParseInt32(text), clamped) << i;

        unsigned char letter = 'Q';
        if (ParseDriveLetter(text, letter)) {
            ASSERT_TRUE(text == kAutomaticLetterText ? letter == kDriveLetterAutomatic
                                                     : (text.size() == 1 && IsLetter(letter) && text[0] == letter))
                << i;
        } else {
            ASSERT_EQ(letter, 'Q') << i;
        }

        int32_t format = -1;
        ASSERT_EQ(ParseFormatType(text, format), !text.empty());
        if (!text.empty()) {
            ASSERT_EQ(format, clamped == 131072 ? 131072 : 4) << i;
        }

        const int32_t mem = ParseMemType(text);
        ASSERT_TRUE(mem == 1 || mem == 3 || mem == 4);

        int32_t save = -1;
        const bool oneDigit = text.size() == 1 && text[0] >= L'0' && text[0] <= L'3';
        ASSERT_EQ(ParseSaveType(text, save), oneDigit);
        ASSERT_EQ(save, oneDigit ? text[0] - L'0' : -1);

        int32_t load = -1;
        ASSERT_EQ(ParseLoadType(text, load), text == L"1" || text == L"2");
        ASSERT_TRUE(load == -1 || load == text[0] - L'0');
        int32_t flag = -1;
        ASSERT_EQ(ParseFlag(text, flag), text == L"0" || text == L"1");
        ASSERT_TRUE(flag == -1 || flag == text[0] - L'0');

        ASSERT_EQ(ReplaceExtension(text, L".bak").substr(ReplaceExtension(text, L".bak").size() - 4), L".bak");
        IsSettingsFileName(text);
        IsPendingDeletionName(text);
    }
}

TEST(SettingsRulesFuzz, RamDiskSectionSettlesAfterOneRead) {
    TextSource source(7);
    const wchar_t* keys[] = {L"DriveSize", L"DriveLetter",  L"FormatType",    L"MemType",
                             L"SaveType",  L"LoadType",     L"BackupBaseDir", L"IECache",
                             L"IEHistory", L"FirefoxCache", L"ChromeCache"};
    for (int i = 0; i < 3000; ++i) {
        std::map<std::wstring, std::wstring> section;
        for (const wchar_t* key : keys) {
            if (source.Pick(3)) section[key] = source.Next();
        }
        ValueReader reader = [&section](const std::wstring& key) {
            auto it = section.find(key);
            return it == section.end() ? std::wstring() : it->second;
        };
        CVelmoraEXSettingData setting;
        setting.DriveLetter = 'D';
        setting.SaveType = 1;
        setting.LoadType = 1;
        setting.FormatType = 4;
        ReadRamDisk(reader, setting);
        ASSERT_TRUE(setting.DriveLetter == 'D' || setting.DriveLetter == kDriveLetterAutomatic ||
                    IsLetter(setting.DriveLetter));
        ASSERT_TRUE(setting.SaveType >= 0 && setting.SaveType <= 3);
        ASSERT_TRUE(setting.LoadType == 1 || setting.LoadType == 2);
        ASSERT_TRUE(setting.FormatType == 4 || setting.FormatType == 0x20000);
        ASSERT_TRUE(setting.MemType == 1 || setting.MemType == 3 || setting.MemType == 4);

        // What was accepted is written so that it reads back unchanged.
        std::map<std::wstring, std::wstring> written;
        for (const auto& kv : RamDiskValues(setting)) written[kv.first] = kv.second;
        for (const auto& kv : CacheValues(setting.CacheSetting)) written[kv.first] = kv.second;
        ValueReader again = [&written](const std::wstring& key) { return written[key]; };
        CVelmoraEXSettingData reread;
        ReadRamDisk(again, reread);
        ASSERT_EQ(reread.DriveSize, setting.DriveSize);
        ASSERT_EQ(reread.DriveLetter, setting.DriveLetter);
        ASSERT_EQ(reread.FormatType, setting.FormatType);
        ASSERT_EQ(reread.MemType, setting.MemType);
        ASSERT_EQ(reread.SaveType, setting.SaveType);
        ASSERT_EQ(reread.LoadType, setting.LoadType);
        ASSERT_EQ(reread.BackupBaseDir, setting.BackupBaseDir);
        ASSERT_EQ(reread.CacheSetting.IECache, setting.CacheSetting.IECache);
        ASSERT_EQ(reread.CacheSetting.ChromeCache, setting.CacheSetting.ChromeCache);
    }
}

TEST(SettingsRulesFuzz, DeletePathListsStayConsistent) {
    TextSource source(99);
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::wstring> current, names;
        for (size_t n = source.Pick(5); n > 0; --n) current.push_back(source.Next().substr(0, 8));
        for (size_t n = source.Pick(5); n > 0; --n) names.push_back(source.Next().substr(0, 8));

        std::vector<std::wstring> added = AddDeletePaths(current, names);
        ASSERT_TRUE(std::equal(current.begin(), current.end(), added.begin()));  // existing keys kept, in order
        for (const std::wstring& name : names) {
            bool found =
                std::any_of(added.begin(), added.end(), [&](const std::wstring& k) { return EqualNoCase(k, name); });
            ASSERT_EQ(found, IsDeletePathName(name) ||
                                 std::any_of(current.begin(), current.end(),
                                             [&](const std::wstring& k) { return EqualNoCase(k, name); }));
        }
        for (size_t k = current.size(); k < added.size(); ++k) ASSERT_TRUE(IsDeletePathName(added[k]));

        std::vector<std::wstring> removed = RemoveDeletePaths(added, names);
        for (const std::wstring& key : removed) {
            ASSERT_FALSE(
                std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return EqualNoCase(n, key); }));
        }
    }
}

}  // namespace
