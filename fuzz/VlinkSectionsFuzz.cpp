// The [Vlink] and [RVlink] read rules, on a section the input makes up: entries of a key byte
// (two bits: src, dst, backup or a misspelt "src0<n>"; four bits: the number), then a value of
// up to five characters (bytes below 0x80 are those characters, the others pick wide ones).
// The readers must agree with a model (numbers from 0, stop at the first number with a missing
// or empty value, replace what the list held), look no further than one number past what they
// return, and read back exactly what the writers' values hold up to the first incomplete entry.
#include <algorithm>
#include <map>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "utility/core/SettingsRules.h"

using namespace USettingsRules;

namespace {

using Section = std::map<std::wstring, std::wstring>;

std::wstring Text(FuzzInput& in) {
    static const wchar_t kWide[8] = {0x81EA, 0x52D5, 0x3000, 0x00A0, 0xD800, 0xDC00, 0xFFFF, 0x005C};
    std::wstring text;
    for (unsigned n = in.Byte() % 6; n > 0; --n) {
        const uint8_t b = in.Byte();
        text += b < 0x80 ? static_cast<wchar_t>(b) : kWide[b & 7];
    }
    return text;
}

std::wstring Key(const wchar_t* kind, size_t number) { return kind + std::to_wstring(number); }

// A reader over the section that notes the highest number it was asked for.
struct Reader {
    const Section& section;
    size_t highest = 0;
    ValueReader Get() {
        return [this](const std::wstring& key) {
            size_t digits = key.find_first_of(L"0123456789");
            FUZZ_CHECK(digits != std::wstring::npos);
            highest = std::max<size_t>(highest, std::stoul(key.substr(digits)));
            auto it = section.find(key);
            return it == section.end() ? std::wstring() : it->second;
        };
    }
};

std::wstring Find(const Section& s, const std::wstring& key) {
    auto it = s.find(key);
    return it == s.end() ? std::wstring() : it->second;
}

std::vector<CVelmoraEXVlinkData> ModelLinks(const Section& s) {
    std::vector<CVelmoraEXVlinkData> links;
    for (size_t i = 0;; ++i) {
        CVelmoraEXVlinkData l(Find(s, Key(L"src", i)), Find(s, Key(L"dst", i)), Find(s, Key(L"backup", i)));
        if (l.src.empty() || l.dst.empty() || l.backup.empty()) return links;
        links.push_back(l);
    }
}

std::vector<std::wstring> ModelSources(const Section& s) {
    std::vector<std::wstring> sources;
    for (size_t i = 0; !Find(s, Key(L"src", i)).empty(); ++i) sources.push_back(Find(s, Key(L"src", i)));
    return sources;
}

Section SectionOf(const KeyValueList& values) {
    Section s;
    for (const auto& kv : values) s[kv.first] = kv.second;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Section section;
    for (unsigned n = in.Byte() % 32; n > 0; --n) {
        const uint8_t key = in.Byte();
        static const wchar_t* const kKinds[4] = {L"src", L"dst", L"backup", L"src0"};
        section[Key(kKinds[key >> 6], key & 15)] = Text(in);
    }

    Reader linkReader{section};
    std::vector<CVelmoraEXVlinkData> links(3, CVelmoraEXVlinkData(L"stale", L"stale", L"stale"));
    ReadVlinks(linkReader.Get(), links);
    FUZZ_CHECK(links == ModelLinks(section));
    FUZZ_CHECK(linkReader.highest == links.size());

    Reader sourceReader{section};
    std::vector<std::wstring> sources(2, L"stale");
    ReadRVlinks(sourceReader.Get(), sources);
    FUZZ_CHECK(sources == ModelSources(section));
    FUZZ_CHECK(sourceReader.highest == sources.size());

    // What the writers produce reads back up to the first entry with an empty path.
    std::vector<CVelmoraEXVlinkData> toWrite;
    std::vector<std::wstring> sourcesToWrite;
    for (unsigned n = in.Byte() % 6; n > 0; --n) {
        CVelmoraEXVlinkData link;
        link.src = Text(in);
        link.dst = Text(in);
        link.backup = Text(in);
        toWrite.push_back(link);
        sourcesToWrite.push_back(link.src);
    }
    const KeyValueList values = VlinkValues(toWrite);
    FUZZ_CHECK(values.size() == 3 * toWrite.size());
    for (size_t i = 0; i < toWrite.size(); ++i) {
        FUZZ_CHECK(values[3 * i].first == Key(L"src", i) && values[3 * i].second == toWrite[i].src);
        FUZZ_CHECK(values[3 * i + 1].first == Key(L"dst", i) && values[3 * i + 1].second == toWrite[i].dst);
        FUZZ_CHECK(values[3 * i + 2].first == Key(L"backup", i) && values[3 * i + 2].second == toWrite[i].backup);
    }
    std::vector<CVelmoraEXVlinkData> expected;
    for (const CVelmoraEXVlinkData& l : toWrite) {
        if (l.src.empty() || l.dst.empty() || l.backup.empty()) break;
        expected.push_back(l);
    }
    const Section written = SectionOf(values);
    Reader back{written};
    ReadVlinks(back.Get(), links);
    FUZZ_CHECK(links == expected);

    std::vector<std::wstring> expectedSources;
    for (const std::wstring& s : sourcesToWrite) {
        if (s.empty()) break;
        expectedSources.push_back(s);
    }
    const Section writtenSources = SectionOf(RVlinkValues(sourcesToWrite));
    FUZZ_CHECK(writtenSources.size() == sourcesToWrite.size());
    Reader sourcesBack{writtenSources};
    ReadRVlinks(sourcesBack.Get(), sources);
    FUZZ_CHECK(sources == expectedSources);
    return 0;
}
