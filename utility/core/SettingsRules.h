#pragma once
// The value rules of the settings files, free of any file access: how each stored text becomes a
// field (what is accepted, what is ignored), how each field is written, and the file-name rules.
// The profile-backed readers and writers apply these to real files.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "utility/core/VelmoraEXOptionData.h"
#include "utility/core/VelmoraEXSettingData.h"
#include "common/VelmoraEXVlinkData.h"
#include "utility/core/VelmoraIEDeleteSettingData.h"

namespace USettingsRules {

// Section names.
extern const wchar_t kRamDiskSection[];     // "RamDisk"
extern const wchar_t kSettingSection[];     // "Setting" (driver values in a settings file; IEDelete.ini)
extern const wchar_t kVlinkSection[];       // "Vlink"
extern const wchar_t kRVlinkSection[];      // "RVlink"
extern const wchar_t kDeletePathSection[];  // "DeletePath"
extern const wchar_t kOptionSection[];      // "Option"

// File and folder names.
extern const wchar_t kProductWord[];               // "VelmoraEX", the start of every settings-file name
extern const wchar_t kOptionFileName[];            // "Option.ini"
extern const wchar_t kIEDeleteFileName[];          // "IEDelete.ini"
extern const wchar_t kToolsProgramName[];          // "VelmoraEXTools.exe"
extern const wchar_t kSettingsExtension[];         // ".ini"
extern const wchar_t kPendingSettingsExtension[];  // ".bak"
extern const wchar_t kPendingDeletionExtension[];  // ".del"

// The stored text of an automatic drive letter (the word for "automatic"), a file format.
extern const wchar_t kAutomaticLetterText[];

// Reads one value of a section; an empty result means the value is missing.
using ValueReader = std::function<std::wstring(const std::wstring& key)>;
// Keys and values in the order they are written.
using KeyValueList = std::vector<std::pair<std::wstring, std::wstring>>;

// Number parsing as the C runtime's _wtoi64/_wtoi do it: leading blanks, an optional sign, then
// decimal digits up to the first non-digit; no digits give 0; out-of-range values saturate.
int64_t ParseInt64(const std::wstring& text);
int32_t ParseInt32(const std::wstring& text);

// Single-value rules. Each returns false, leaving its output alone, when the text is ignored.
bool ParseDriveSize(const std::wstring& text, uint64_t& size);           // any non-empty text
bool ParseDriveLetter(const std::wstring& text, unsigned char& letter);  // kAutomaticLetterText or one ASCII letter
bool ParseFormatType(const std::wstring& text, int32_t& formatType);     // non-empty; not 4/0x20000 gives 4
bool ParseSaveType(const std::wstring& text, int32_t& saveType);         // "0".."3"
bool ParseLoadType(const std::wstring& text, int32_t& loadType);         // "1" or "2"
bool ParseFlag(const std::wstring& text, int32_t& flag);                 // "0" or "1"
// "1", "3" or "4" give that value; anything else, missing included, gives 1.
int32_t ParseMemType(const std::wstring& text);

std::wstring FormatDriveSize(uint64_t size);           // signed decimal of the 64 bits
std::wstring FormatDriveLetter(unsigned char letter);  // the letter, kAutomaticLetterText, or empty when unset
std::wstring FormatInt(int32_t value);

// Section rules: the readers take values from read() in the stored order and apply the rules.
void ReadRamDisk(const ValueReader& read, CVelmoraEXSettingData& setting);
// [RamDisk] values before the driver's [Setting] keys are ensured: DriveSize ... BackupBaseDir.
KeyValueList RamDiskValues(const CVelmoraEXSettingData& setting);
// [RamDisk] cache values, written after the driver's [Setting] keys.
KeyValueList CacheValues(const CVelmoraEXCacheSettingData& cache);
// The driver's [Setting] keys with the values written when they are missing.
KeyValueList DriverSettingDefaults();

void ReadOptions(const ValueReader& read, CVelmoraEXOptionData& options);
KeyValueList OptionValues(const CVelmoraEXOptionData& options);
void ReadIEDelete(const ValueReader& read, CVelmoraIEDeleteSettingData& data);
KeyValueList IEDeleteValues(const CVelmoraIEDeleteSettingData& data);

// [Vlink]: src%d, dst%d, backup%d from 0 until the first number with a missing value.
void ReadVlinks(const ValueReader& read, std::vector<CVelmoraEXVlinkData>& links);
KeyValueList VlinkValues(const std::vector<CVelmoraEXVlinkData>& links);
// [RVlink]: src%d from 0 until the first missing value.
void ReadRVlinks(const ValueReader& read, std::vector<std::wstring>& sources);
KeyValueList RVlinkValues(const std::vector<std::wstring>& sources);

// [DeletePath] key lists. A name is stored as a key only when it reads back as the same key:
// not empty and without "=" (otherwise the clean-up would delete a different folder).
bool IsDeletePathName(const std::wstring& name);
// current with each storable name appended that it does not hold yet (case-insensitive); keys
// compare the same way in the file, so a repeated name would only rewrite its key.
std::vector<std::wstring> AddDeletePaths(const std::vector<std::wstring>& current,
                                         const std::vector<std::wstring>& names);
// current without every entry equal (case-insensitive) to one of names.
std::vector<std::wstring> RemoveDeletePaths(const std::vector<std::wstring>& current,
                                            const std::vector<std::wstring>& names);

// Case-insensitive equality of two names or paths.
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

// File-name rules, on a name without its folder (the caller skips directories):
// extension ".ini" (".del") and a base name beginning with "VelmoraEX", both case-insensitive.
bool IsSettingsFileName(const std::wstring& fileName);
bool IsPendingDeletionName(const std::wstring& fileName);

// path with the extension of its last component replaced by (or, without one, given) extension.
std::wstring ReplaceExtension(const std::wstring& path, const std::wstring& extension);

std::wstring SettingsFileName(int number);  // "VelmoraEX%d.ini"
std::wstring BackupFolderName(int number);  // "Backup%d"

}  // namespace USettingsRules
