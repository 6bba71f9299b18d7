// The launcher's version texts and its command line. The first input byte splits the rest into
// the package's and the installed version; each byte is one character, except 0xF0 to 0xF9,
// which are the Arabic-Indic digits (digits, but not ASCII ones).
// Promises: Parse accepts exactly the texts of one or more dot-separated ASCII digit runs whose
// values fit in 32 bits, gives back their values (written out again they are the text without
// leading zeros) and leaves its output alone on a refusal; Compare is Malformed exactly when one
// side is refused, otherwise it agrees with a comparison of the digit runs as numbers of any
// size, and swapping the sides mirrors it. PassThrough over the words of the input hands on
// exactly the words "/qn" and "-qn", in order.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "setup/SetupSwitches.h"
#include "setup/SetupVersion.h"

using USetupVersion::EOrder;

namespace {

std::wstring Text(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        text += (b >= 0xF0 && b <= 0xF9) ? static_cast<wchar_t>(0x0660 + (b - 0xF0)) : static_cast<wchar_t>(b);
    }
    return text;
}

// The digit runs without leading zeros; false unless the text follows the grammar.
bool Reference(const std::wstring& text, std::vector<std::string>& runs, bool& fits) {
    runs.assign(1, std::string());
    bool any = false;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (!any) return false;
            runs.emplace_back();
            any = false;
        } else if (c >= L'0' && c <= L'9') {
            if (!(runs.back().empty() && c == L'0')) runs.back() += static_cast<char>(c);
            any = true;
        } else {
            return false;
        }
    }
    if (!any) return false;
    fits = true;
    for (std::string& run : runs) {
        if (run.empty()) run = "0";
        if (run.size() > 10 || (run.size() == 10 && run > "4294967295")) fits = false;
    }
    return true;
}

int CompareRuns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i].size() != b[i].size()) return a[i].size() < b[i].size() ? -1 : 1;
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

EOrder Mirror(EOrder order) {
    if (order == EOrder::Older) return EOrder::Newer;
    if (order == EOrder::Newer) return EOrder::Older;
    return order;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t split = data[0] < size - 1 ? data[0] : size - 1;
    const std::wstring package = Text(data + 1, split), installed = Text(data + 1 + split, size - 1 - split);

    bool accepted[2];
    std::vector<std::string> runs[2];
    const std::wstring* texts[2] = {&package, &installed};
    for (int side = 0; side < 2; ++side) {
        bool fits = false;
        const bool grammar = Reference(*texts[side], runs[side], fits);
        std::vector<uint32_t> fields{0xDEADBEEF};
        accepted[side] = USetupVersion::Parse(*texts[side], fields);
        FUZZ_CHECK(accepted[side] == (grammar && fits));
        if (!accepted[side]) {
            FUZZ_CHECK(fields.size() == 1 && fields[0] == 0xDEADBEEF);
            continue;
        }
        FUZZ_CHECK(fields.size() == runs[side].size());
        for (size_t i = 0; i < fields.size(); ++i) FUZZ_CHECK(std::to_string(fields[i]) == runs[side][i]);
    }

    const EOrder order = USetupVersion::Compare(package, installed);
    FUZZ_CHECK(Mirror(order) == USetupVersion::Compare(installed, package));
    if (!accepted[0] || !accepted[1]) {
        FUZZ_CHECK(order == EOrder::Malformed);
    } else {
        const int want = CompareRuns(runs[0], runs[1]);
        FUZZ_CHECK(order == (want < 0 ? EOrder::Older : want > 0 ? EOrder::Newer : EOrder::Equal));
    }

    std::vector<std::wstring> words(1);
    std::wstring expected;
    const std::wstring all = package + L' ' + installed;
    for (wchar_t c : all) {
        if (c == L' ')
            words.emplace_back();
        else
            words.back() += c;
    }
    for (const std::wstring& word : words) {
        if (word == L"/qn" || word == L"-qn") expected += L" " + word;
    }
    FUZZ_CHECK(USetupSwitches::PassThrough(words) == expected);
    return 0;
}
