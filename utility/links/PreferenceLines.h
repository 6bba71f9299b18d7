#pragma once
// Preference lines of a Firefox profile's "user.js" and "prefs.js", byte for byte. The text is
// UTF-8 (as Firefox writes it); it is kept as bytes, so that nothing but the cache preference's
// own line ever changes. Lines end in "\r\n", "\n" or "\r"; each line keeps its own line end.
#include <functional>
#include <string>
#include <vector>

namespace UBrowserFirefox {

extern const char kCachePreference[];  // "browser.cache.disk.parent_directory"

// The arguments of a line `user_pref(...);`: the text between the first "(" and the last ")",
// split at commas outside double quotation marks, each argument's quotation marks dropped and
// a backslash inside taking the next character literally. False (arguments emptied) when the
// line does not begin with "user_pref", end with ";" or hold both parentheses in that order.
bool ReadPreferenceLine(const std::string& line, std::vector<std::string>& arguments);

// True when the line sets the cache preference (exactly two arguments, the first its name
// without regard to ASCII case); `folder` gets the second.
bool IsCachePreference(const std::string& line, std::string* folder = nullptr);

// user_pref("browser.cache.disk.parent_directory","<folder>"); with every backslash and double
// quotation mark of the folder escaped by a backslash. No line end.
std::string CachePreferenceLine(const std::string& folder);

// One line of a preference file: its bytes without line end, and the line end it had ("" for
// a last line without one).
struct CPreferenceLine {
    std::string text;
    std::string end;
};

// A preference file cut into lines. A UTF-8 byte-order mark is kept apart from the first line.
class CPreferenceText {
public:
    explicit CPreferenceText(const std::string& bytes);

    // The folder of the first cache preference line; false when no line is one.
    bool FindCachePreference(std::string& folder) const;

    // Replaces every cache preference line by one for `folder` (the first keeps its place, the
    // others go; appended at the end with "\r\n" when there was none, or after a last line
    // without a line end, which then gets "\r\n", without one). False, and nothing changed, when
    // a cache preference line already names a folder that `sameFolder` accepts.
    bool SetCachePreference(const std::string& folder, const std::function<bool(const std::string&)>& sameFolder);

    // Drops every cache preference line; the number dropped. When the last line goes and had no
    // line end, the line that is last now loses its own: the file keeps ending without one.
    size_t RemoveCachePreference();

    std::string Bytes() const;
    const std::vector<CPreferenceLine>& Lines() const { return m_lines; }
    bool HasByteOrderMark() const { return m_bom; }

private:
    bool m_bom = false;
    std::vector<CPreferenceLine> m_lines;
};

}  // namespace UBrowserFirefox
