#include "utility/links/PreferenceLines.h"

namespace UBrowserFirefox {

const char kCachePreference[] = "browser.cache.disk.parent_directory";

namespace {

const char kUserPref[] = "user_pref";
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const char kLineEnd[] = "\r\n";

bool EqualsIgnoringAsciiCase(const std::string& a, const char* b) {
    const std::string other(b);
    if (a.size() != other.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(other[i])) return false;
    }
    return true;
}

// An argument as written, without its quotation marks and with its escapes taken literally.
std::string Unquote(const std::string& raw) {
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '"') continue;
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value.push_back(raw[i]);
    }
    return value;
}

}  // namespace

bool ReadPreferenceLine(const std::string& line, std::vector<std::string>& arguments) {
    arguments.clear();
    if (line.compare(0, sizeof(kUserPref) - 1, kUserPref) != 0 || line.empty() || line.back() != ';') return false;
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    std::string raw;
    bool quoted = false;
    for (size_t i = open + 1; i < close; ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < close) {
            raw.push_back(c);
            raw.push_back(line[++i]);
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            arguments.push_back(Unquote(raw));
            raw.clear();
            continue;
        }
        raw.push_back(c);
    }
    arguments.push_back(Unquote(raw));
    return true;
}

bool IsCachePreference(const std::string& line, std::string* folder) {
    std::vector<std::string> arguments;
    if (!ReadPreferenceLine(line, arguments) || arguments.size() != 2) return false;
    if (!EqualsIgnoringAsciiCase(arguments[0], kCachePreference)) return false;
    if (folder) *folder = arguments[1];
    return true;
}

std::string CachePreferenceLine(const std::string& folder) {
    std::string line = std::string(kUserPref) + "(\"" + kCachePreference + "\",\"";
    for (char c : folder) {
        if (c == '\\' || c == '"') line.push_back('\\');
        line.push_back(c);
    }
    return line + "\");";
}

CPreferenceText::CPreferenceText(const std::string& bytes) {
    size_t at = 0;
    if (bytes.compare(0, 3, kByteOrderMark) == 0) {
        m_bom = true;
        at = 3;
    }
    while (at < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            m_lines.push_back({bytes.substr(at), ""});
            break;
        }
        const size_t width = bytes.compare(end, 2, kLineEnd) == 0 ? 2 : 1;
        m_lines.push_back({bytes.substr(at, end - at), bytes.substr(end, width)});
        at = end + width;
    }
}

bool CPreferenceText::FindCachePreference(std::string& folder) const {
    for (const CPreferenceLine& line : m_lines)
        if (IsCachePreference(line.text, &folder)) return true;
    folder.clear();
    return false;
}

bool CPreferenceText::SetCachePreference(const std::string& folder,
                                         const std::function<bool(const std::string&)>& sameFolder) {
    std::string current;
    for (const CPreferenceLine& line : m_lines)
        if (IsCachePreference(line.text, &current) && sameFolder(current)) return false;
    std::vector<CPreferenceLine> lines;
    bool placed = false;
    for (const CPreferenceLine& line : m_lines) {
        if (!IsCachePreference(line.text)) {
            lines.push_back(line);
        } else if (!placed) {
            lines.push_back({CachePreferenceLine(folder), kLineEnd});
            placed = true;
        }
    }
    if (!placed) {
        // A file that ended without a line end still does, so that a remove gives it back whole.
        const bool openEnd = !lines.empty() && lines.back().end.empty();
        if (openEnd) lines.back().end = kLineEnd;
        lines.push_back({CachePreferenceLine(folder), openEnd ? "" : kLineEnd});
    }
    m_lines.swap(lines);
    return true;
}

size_t CPreferenceText::RemoveCachePreference() {
    std::vector<CPreferenceLine> lines;
    for (const CPreferenceLine& line : m_lines)
        if (!IsCachePreference(line.text)) lines.push_back(line);
    const size_t dropped = m_lines.size() - lines.size();
    // A file whose last line goes and had no line end keeps ending without one.
    if (dropped != 0 && !lines.empty() && m_lines.back().end.empty() && IsCachePreference(m_lines.back().text))
        lines.back().end.clear();
    m_lines.swap(lines);
    return dropped;
}

std::string CPreferenceText::Bytes() const {
    std::string bytes = m_bom ? kByteOrderMark : "";
    for (const CPreferenceLine& line : m_lines) bytes += line.text + line.end;
    return bytes;
}

}  // namespace UBrowserFirefox
