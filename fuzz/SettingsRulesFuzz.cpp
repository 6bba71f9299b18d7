// The settings value rules. The input's first 13 bytes are a drive size, a 32-bit number and a
// letter byte for the write-then-read round trips; the rest is a stored text (bytes below 0x80
// are those characters, the others pick characters that matter to the rules: the "自動" pair,
// full-width and Arabic digits, wide blanks, surrogates). The number parsers must agree with a
// model in 128-bit arithmetic; each single-value rule accepts exactly the texts its comment
// names, and a text it ignores leaves the output alone.
#include <algorithm>
#include <limits>

#include "fuzz/FuzzCheck.h"
#include "utility/core/SettingsRules.h"

using namespace USettingsRules;

namespace {

std::wstring TextOf(const std::vector<uint8_t>& bytes) {
    static const wchar_t kWide[16] = {0x81EA, 0x52D5, 0xFF10, 0xFF19, 0x0660, 0x0669, 0x00A0, 0x3000,
                                      0x2028, 0x00B2, 0xD800, 0xDC00, 0xFFFF, 0x00FF, 0x0130, 0x212A};
    std::wstring text;
    for (uint8_t b : bytes) text += b < 0x80 ? static_cast<wchar_t>(b) : kWide[b & 15];
    return text;
}

// Blanks (space, tab to carriage return), an optional sign, the decimal digits up to the first
// other character; a magnitude past 2^64 stays there, and the result is clamped to [low, high].
int64_t ModelParse(const std::wstring& t, int64_t low, int64_t high) {
    size_t i = 0;
    while (i < t.size() && (t[i] == L' ' || (t[i] >= L'\t' && t[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
    const unsigned __int128 cap = static_cast<unsigned __int128>(1) << 64;
    unsigned __int128 magnitude = 0;
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i)
        magnitude = std::min(cap, magnitude * 10 + static_cast<unsigned>(t[i] - L'0'));
    const __int128 value = negative ? -static_cast<__int128>(magnitude) : static_cast<__int128>(magnitude);
    return static_cast<int64_t>(std::clamp<__int128>(value, low, high));
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// One rule on one text: it must accept exactly when `accepts`, then give `expected`; otherwise
// keep the sentinel in its output.
template <typename T, typename Rule>
void CheckRule(Rule rule, const std::wstring& text, bool accepts, T expected, T sentinel) {
    T out = sentinel;
    const bool accepted = rule(text, out);
    FUZZ_CHECK(accepted == accepts);
    FUZZ_CHECK(out == (accepts ? expected : sentinel));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint64_t driveSize = in.U64();
    const int32_t number = static_cast<int32_t>(in.U32());
    const unsigned char letter = in.Byte();
    const std::wstring text = TextOf(in.Rest());

    const int64_t parsed64 = ParseInt64(text);
    const int32_t parsed32 = ParseInt32(text);
    FUZZ_CHECK(parsed64 == ModelParse(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()));
    FUZZ_CHECK(parsed32 == ModelParse(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));

    const bool oneChar = text.size() == 1;
    const wchar_t first = text.empty() ? 0 : text[0];
    const bool automatic = text == kAutomaticLetterText;
    CheckRule<uint64_t>(ParseDriveSize, text, !text.empty(), static_cast<uint64_t>(parsed64), 12345);
    CheckRule<unsigned char>(ParseDriveLetter, text, automatic || (oneChar && IsAsciiLetter(first)),
                             automatic ? kDriveLetterAutomatic : static_cast<unsigned char>(first), '?');
    CheckRule<int32_t>(ParseFormatType, text, !text.empty(), parsed32 == FORMAT_TYPE_FAT_AUTO ? parsed32 : 4, -7);
    CheckRule<int32_t>(ParseSaveType, text, oneChar && first >= L'0' && first <= L'3', first - L'0', -7);
    CheckRule<int32_t>(ParseLoadType, text, oneChar && (first == L'1' || first == L'2'), first - L'0', -7);
    CheckRule<int32_t>(ParseFlag, text, oneChar && (first == L'0' || first == L'1'), first - L'0', -7);
    const bool memType = oneChar && (first == L'1' || first == L'3' || first == L'4');
    FUZZ_CHECK(ParseMemType(text) == (memType ? first - L'0' : 1));

    // What is written reads back as the same value.
    uint64_t sizeBack = 0;
    FUZZ_CHECK(ParseDriveSize(FormatDriveSize(driveSize), sizeBack) && sizeBack == driveSize);
    FUZZ_CHECK(ParseInt32(FormatInt(number)) == number && ParseInt64(FormatInt(number)) == number);
    unsigned char letterBack = 0;
    const bool storable = letter == kDriveLetterAutomatic || IsAsciiLetter(letter);
    FUZZ_CHECK(ParseDriveLetter(FormatDriveLetter(letter), letterBack) == storable);
    FUZZ_CHECK(!storable || letterBack == letter);
    return 0;
}
