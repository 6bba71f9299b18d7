#include "utility/core/SettingsRules.h"

#include <cwctype>
#include <limits>

namespace USettingsRules {

const wchar_t kRamDiskSection[] = L"RamDisk";
const wchar_t kSettingSection[] = L"Setting";
const wchar_t kVlinkSection[] = L"Vlink";
const wchar_t kRVlinkSection[] = L"RVlink";
const wchar_t kDeletePathSection[] = L"DeletePath";
const wchar_t kOptionSection[] = L"Option";

const wchar_t kProductWord[] = L"VelmoraEX";
const wchar_t kOptionFileName[] = L"Option.ini";
const wchar_t kIEDeleteFileName[] = L"IEDelete.ini";
const wchar_t kToolsProgramName[] = L"VelmoraEXTools.exe";
const wchar_t kSettingsExtension[] = L".ini";
const wchar_t kPendingSettingsExtension[] = L".bak";
const wchar_t kPendingDeletionExtension[] = L".del";

const wchar_t kAutomaticLetterText[] = L"\u81EA\u52D5";

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t FoldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
    if (c < 0x80) return c;
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

// Signed decimal number clamped to [low, high].
int64_t ParseClamped(const std::wstring& text, int64_t low, int64_t high) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate towards the sign's side so that the most negative value is reachable.
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        int digit = text[i] - L'0';
        if (negative) {
            if (value < (low + digit) / 10) return low;
            value = value * 10 - digit;
            if (value < low) return low;
        } else {
            if (value > (high - digit) / 10) return high;
            value = value * 10 + digit;
            if (value > high) return high;
        }
    }
    return value;
}

std::wstring Numbered(const wchar_t* prefix, size_t number) { return prefix + std::to_wstring(number); }

bool HasExtensionAndPrefix(const std::wstring& fileName, const wchar_t* extension) {
    size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    if (!EqualNoCase(fileName.substr(dot), extension)) return false;
    const std::wstring word(kProductWord);
    return dot >= word.size() && EqualNoCase(fileName.substr(0, word.size()), word);
}

}  // namespace

int64_t ParseInt64(const std::wstring& text) {
    return ParseClamped(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

int32_t ParseInt32(const std::wstring& text) {
    return static_cast<int32_t>(
        ParseClamped(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool ParseDriveSize(const std::wstring& text, uint64_t& size) {
    if (text.empty()) return false;
    size = static_cast<uint64_t>(ParseInt64(text));
    return true;
}

bool ParseDriveLetter(const std::wstring& text, unsigned char& letter) {
    if (text == kAutomaticLetterText) {
        letter = kDriveLetterAutomatic;
        return true;
    }
    if (text.size() == 1 && IsAsciiLetter(text[0])) {
        letter = static_cast<unsigned char>(text[0]);
        return true;
    }
    return false;
}

bool ParseFormatType(const std::wstring& text, int32_t& formatType) {
    if (text.empty()) return false;
    int32_t value = ParseInt32(text);
    formatType = (value == FORMAT_TYPE_NTFS || value == FORMAT_TYPE_FAT_AUTO) ? value : FORMAT_TYPE_NTFS;
    return true;
}

bool ParseSaveType(const std::wstring& text, int32_t& saveType) {
    if (text.size() != 1 || text[0] < L'0' || text[0] > L'3') return false;
    saveType = text[0] - L'0';
    return true;
}

bool ParseLoadType(const std::wstring& text, int32_t& loadType) {
    if (text != L"1" && text != L"2") return false;
    loadType = text[0] - L'0';
    return true;
}

bool ParseFlag(const std::wstring& text, int32_t& flag) {
    if (text != L"0" && text != L"1") return false;
    flag = text[0] - L'0';
    return true;
}

int32_t ParseMemType(const std::wstring& text) {
    if (text == L"1" || text == L"3" || text == L"4") return text[0] - L'0';
    return 1;
}

std::wstring FormatDriveSize(uint64_t size) { return std::to_wstring(static_cast<int64_t>(size)); }

std::wstring FormatDriveLetter(unsigned char letter) {
    if (letter == kDriveLetterAutomatic) return kAutomaticLetterText;
    if (letter == 0) return std::wstring();
    return std::wstring(1, static_cast<wchar_t>(letter));
}

std::wstring FormatInt(int32_t value) { return std::to_wstring(value); }

void ReadRamDisk(const ValueReader& read, CVelmoraEXSettingData& setting) {
    ParseSaveType(read(L"SaveType"), setting.SaveType);
    ParseLoadType(read(L"LoadType"), setting.LoadType);
    std::wstring folder = read(L"BackupBaseDir");
    if (!folder.empty()) setting.BackupBaseDir = folder;
    ParseDriveSize(read(L"DriveSize"), setting.DriveSize);
    ParseDriveLetter(read(L"DriveLetter"), setting.DriveLetter);
    ParseFormatType(read(L"FormatType"), setting.FormatType);
    setting.MemType = ParseMemType(read(L"MemType"));
    CVelmoraEXCacheSettingData& cache = setting.CacheSetting;
    ParseFlag(read(L"IECache"), cache.IECache);
    ParseFlag(read(L"IEHistory"), cache.IEHistory);
    ParseFlag(read(L"FirefoxCache"), cache.FirefoxCache);
    ParseFlag(read(L"ChromeCache"), cache.ChromeCache);
}

KeyValueList RamDiskValues(const CVelmoraEXSettingData& setting) {
    return {
        {L"DriveSize", FormatDriveSize(setting.DriveSize)}, {L"DriveLetter", FormatDriveLetter(setting.DriveLetter)},
        {L"FormatType", FormatInt(setting.FormatType)},     {L"MemType", FormatInt(setting.MemType)},
        {L"SaveType", FormatInt(setting.SaveType)},         {L"LoadType", FormatInt(setting.LoadType)},
        {L"BackupBaseDir", setting.BackupBaseDir},
    };
}

KeyValueList CacheValues(const CVelmoraEXCacheSettingData& cache) {
    return {
        {L"IECache", FormatInt(cache.IECache)},
        {L"IEHistory", FormatInt(cache.IEHistory)},
        {L"FirefoxCache", FormatInt(cache.FirefoxCache)},
        {L"ChromeCache", FormatInt(cache.ChromeCache)},
    };
}

KeyValueList DriverSettingDefaults() {
    return {{L"CPUIdle", L"10"}, {L"SleepHaveBlock", L"1000"}, {L"SleepNoBlock", L"1000"}};
}

void ReadOptions(const ValueReader& read, CVelmoraEXOptionData& options) {
    ParseFlag(read(L"TaskTray"), options.TaskTray);
    ParseFlag(read(L"Indicator"), options.Indicator);
}

KeyValueList OptionValues(const CVelmoraEXOptionData& options) {
    return {{L"TaskTray", FormatInt(options.TaskTray)}, {L"Indicator", FormatInt(options.Indicator)}};
}

void ReadIEDelete(const ValueReader& read, CVelmoraIEDeleteSettingData& data) {
    ParseFlag(read(L"Cache"), data.Cache);
    ParseFlag(read(L"Cookie"), data.Cookie);
    ParseFlag(read(L"History"), data.History);
    ParseFlag(read(L"TypedUrls"), data.TypedUrls);
}

KeyValueList IEDeleteValues(const CVelmoraIEDeleteSettingData& data) {
    return {
        {L"Cache", FormatInt(data.Cache)},
        {L"Cookie", FormatInt(data.Cookie)},
        {L"History", FormatInt(data.History)},
        {L"TypedUrls", FormatInt(data.TypedUrls)},
    };
}

void ReadVlinks(const ValueReader& read, std::vector<CVelmoraEXVlinkData>& links) {
    links.clear();
    for (size_t i = 0;; ++i) {
        CVelmoraEXVlinkData link(read(Numbered(L"src", i)), read(Numbered(L"dst", i)), read(Numbered(L"backup", i)));
        if (link.src.empty() || link.dst.empty() || link.backup.empty()) break;
        links.push_back(std::move(link));
    }
}

KeyValueList VlinkValues(const std::vector<CVelmoraEXVlinkData>& links) {
    KeyValueList values;
    for (size_t i = 0; i < links.size(); ++i) {
        values.emplace_back(Numbered(L"src", i), links[i].src);
        values.emplace_back(Numbered(L"dst", i), links[i].dst);
        values.emplace_back(Numbered(L"backup", i), links[i].backup);
    }
    return values;
}

void ReadRVlinks(const ValueReader& read, std::vector<std::wstring>& sources) {
    sources.clear();
    for (size_t i = 0;; ++i) {
        std::wstring source = read(Numbered(L"src", i));
        if (source.empty()) break;
        sources.push_back(std::move(source));
    }
}

KeyValueList RVlinkValues(const std::vector<std::wstring>& sources) {
    KeyValueList values;
    for (size_t i = 0; i < sources.size(); ++i) values.emplace_back(Numbered(L"src", i), sources[i]);
    return values;
}

bool IsDeletePathName(const std::wstring& name) { return !name.empty() && name.find(L'=') == std::wstring::npos; }

std::vector<std::wstring> AddDeletePaths(const std::vector<std::wstring>& current,
                                         const std::vector<std::wstring>& names) {
    std::vector<std::wstring> result = current;
    for (const std::wstring& name : names) {
        if (!IsDeletePathName(name)) continue;
        bool present = false;
        for (const std::wstring& key : result) {
            if (EqualNoCase(key, name)) {
                present = true;
                break;
            }
        }
        if (!present) result.push_back(name);
    }
    return result;
}

std::vector<std::wstring> RemoveDeletePaths(const std::vector<std::wstring>& current,
                                            const std::vector<std::wstring>& names) {
    std::vector<std::wstring> result;
    for (const std::wstring& key : current) {
        bool removed = false;
        for (const std::wstring& name : names) {
            if (EqualNoCase(key, name)) {
                removed = true;
                break;
            }
        }
        if (!removed) result.push_back(key);
    }
    return result;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

bool IsSettingsFileName(const std::wstring& fileName) { return HasExtensionAndPrefix(fileName, kSettingsExtension); }

bool IsPendingDeletionName(const std::wstring& fileName) {
    return HasExtensionAndPrefix(fileName, kPendingDeletionExtension);
}

std::wstring ReplaceExtension(const std::wstring& path, const std::wstring& extension) {
    size_t start = path.find_last_of(L"\\/");
    if (start == std::wstring::npos)
        start = (path.size() >= 2 && path[1] == L':') ? 2 : 0;
    else
        ++start;
    size_t dot = path.rfind(L'.');
    size_t end = (dot != std::wstring::npos && dot >= start) ? dot : path.size();
    return path.substr(0, end) + extension;
}

std::wstring SettingsFileName(int number) { return kProductWord + std::to_wstring(number) + kSettingsExtension; }

std::wstring BackupFolderName(int number) { return L"Backup" + std::to_wstring(number); }

}  // namespace USettingsRules
