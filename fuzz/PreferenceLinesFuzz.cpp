// Firefox's preference files. The input is a file's bytes. Cutting it into lines and joining them
// again gives the same bytes; removing the cache preference keeps every other line, byte for byte
// and in order (the last one losing its line end only when the file's last line went without
// one), and leaves no cache preference; setting it keeps every other line, leaves exactly one
// cache preference that reads back as the folder, and a second set changes nothing; in a file
// without a cache preference, a set and a remove give the file back.
#include <string>

#include "fuzz/FuzzCheck.h"
#include "utility/links/PreferenceLines.h"

using namespace UBrowserFirefox;

namespace {

std::vector<CPreferenceLine> Others(const CPreferenceText& text) {
    std::vector<CPreferenceLine> others;
    for (const CPreferenceLine& line : text.Lines())
        if (!IsCachePreference(line.text)) others.push_back(line);
    return others;
}

size_t CacheLines(const CPreferenceText& text) {
    size_t count = 0;
    for (const CPreferenceLine& line : text.Lines()) count += IsCachePreference(line.text) ? 1 : 0;
    return count;
}

// The lines of a and b agree; the last line's end may be "" in a and "\r\n" in b when lastEndMayDiffer.
bool SameLines(const std::vector<CPreferenceLine>& a, const std::vector<CPreferenceLine>& b, bool lastEndMayDiffer) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text) return false;
        const bool endMayDiffer = lastEndMayDiffer && i + 1 == a.size() && a[i].end.empty() && !b[i].end.empty();
        if (a[i].end != b[i].end && !endMayDiffer) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CPreferenceText original(bytes);
    FUZZ_CHECK(original.Bytes() == bytes);
    for (const CPreferenceLine& line : original.Lines()) {
        FUZZ_CHECK(line.text.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(line.end.empty() || line.end == "\r\n" || line.end == "\n" || line.end == "\r");
    }
    const std::vector<CPreferenceLine> others = Others(original);
    const size_t cacheLines = CacheLines(original);

    CPreferenceText removed(bytes);
    FUZZ_CHECK(removed.RemoveCachePreference() == cacheLines);
    FUZZ_CHECK(CacheLines(removed) == 0);
    const bool lastWentOpen = !original.Lines().empty() && original.Lines().back().end.empty() &&
                              IsCachePreference(original.Lines().back().text);
    FUZZ_CHECK(SameLines(removed.Lines(), others, lastWentOpen));
    FUZZ_CHECK(removed.Lines().empty() || !removed.Lines().back().end.empty() == !original.Lines().back().end.empty());
    FUZZ_CHECK(cacheLines != 0 || removed.Bytes() == bytes);

    // The folder: a piece of the input without line ends.
    std::string folder = bytes.substr(0, std::min<size_t>(size, 40));
    for (char& c : folder)
        if (c == '\r' || c == '\n') c = '_';
    auto same = [&folder](const std::string& current) { return current == folder; };
    CPreferenceText set(bytes);
    const bool rewrote = set.SetCachePreference(folder, same);
    if (!rewrote) {
        // Only when a cache preference already names the folder.
        bool named = false;
        std::string current;
        for (const CPreferenceLine& line : original.Lines())
            named = named || (IsCachePreference(line.text, &current) && current == folder);
        FUZZ_CHECK(named && set.Bytes() == bytes);
        return 0;
    }
    FUZZ_CHECK(CacheLines(set) == 1);
    std::string found;
    FUZZ_CHECK(set.FindCachePreference(found) && found == folder);
    std::vector<CPreferenceLine> setOthers = Others(set);
    FUZZ_CHECK(SameLines(others, setOthers, true));
    if (cacheLines == 0) {
        CPreferenceText off(set.Bytes());
        FUZZ_CHECK(off.RemoveCachePreference() == 1 && off.Bytes() == bytes);
    }
    const std::string once = set.Bytes();
    CPreferenceText again(once);
    FUZZ_CHECK(!again.SetCachePreference(folder, same) && again.Bytes() == once);
    return 0;
}
