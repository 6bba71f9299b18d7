#include "utility/disk/DriveLetter.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::wstring Letters(const std::wstring& roots) {
    CDriveLetter letters;
    letters.FromRootStrings(roots.c_str(), roots.size());
    return std::wstring(letters.Letters().begin(), letters.Letters().end());
}
}  // namespace

TEST(DriveLetter, UsedLettersAreLeftOutAndAAndBNeverOffered) {
    using namespace std::string_literals;
    EXPECT_EQ(Letters(L"A:\\\0C:\\\0D:\\\0F:\\\0\0"s), L"EGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(Letters(L"B:\\\0Z:\\\0\0"s), L"CDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(Letters(L"c:\\\0\0"s), L"DEFGHIJKLMNOPQRSTUVWXYZ") << "lower-case roots count as used";
}

TEST(DriveLetter, NoDrivesGivesCToZ) {
    EXPECT_EQ(Letters(L""), L"CDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(Letters(L"").size(), 24u);
}

TEST(DriveLetter, UnterminatedBufferStopsAtItsLength) {
    const wchar_t roots[] = {L'C', L':', L'\\', 0, L'E', L':'};  // cut inside the second root
    CDriveLetter letters;
    letters.FromRootStrings(roots, 6);
    std::wstring got(letters.Letters().begin(), letters.Letters().end());
    EXPECT_EQ(got, L"DFGHIJKLMNOPQRSTUVWXYZ");
}
