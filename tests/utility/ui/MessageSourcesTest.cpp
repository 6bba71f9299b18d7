// Every text the programs show lives in the .rc message table: no source file outside the
// resource scripts holds Japanese text, written out or as \u escapes. The one exception is the
// stored INI token of an automatic drive letter, a file format, kept in one named constant.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kSourceFolders[] = {"framework", "common", "utility", "standin",
                                      "tools",     "setup",  "bench",   "scripts"};
const char* const kSkippedExtensions[] = {".rc", ".ico", ".bmp", ".png", ".jpg"};
// The automatic-letter token: the file and the text of its one permitted line.
const char kTokenFile[] = "utility/core/SettingsRules.cpp";
const char kTokenLine[] = "const wchar_t kAutomaticLetterText[] = L\"\\u81EA\\u52D5\";";

bool IsJapanese(uint32_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Whether a line holds Japanese text: UTF-8 sequences or \uXXXX / \UXXXXXXXX escapes.
bool HoldsJapanese(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(line[i]);
        if (b >= 0xE0 && b < 0xF0 && i + 2 < line.size()) {
            const uint32_t c = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(line[i + 1]) & 0x3Fu) << 6) |
                               (static_cast<unsigned char>(line[i + 2]) & 0x3Fu);
            if (IsJapanese(c)) return true;
        }
        if (b == '\\' && i + 1 < line.size() && (line[i + 1] == 'u' || line[i + 1] == 'U')) {
            const size_t digits = line[i + 1] == 'u' ? 4 : 8;
            if (i + 2 + digits > line.size()) continue;
            const std::string hex = line.substr(i + 2, digits);
            if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) continue;
            if (IsJapanese(static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16)))) return true;
        }
    }
    return false;
}

struct Finding {
    std::string file;
    int line;
    std::string text;
};

std::vector<Finding> ScanTree(const fs::path& root) {
    std::vector<Finding> found;
    for (const char* folder : kSourceFolders) {
        const fs::path top = root / folder;
        if (!fs::is_directory(top)) continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top)) {
            if (!entry.is_regular_file()) continue;
            bool skipped = false;
            for (const char* ext : kSkippedExtensions) skipped = skipped || entry.path().extension() == ext;
            if (skipped) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                if (HoldsJapanese(line))
                    found.push_back({fs::relative(entry.path(), root).generic_string(), number, line});
            }
        }
    }
    return found;
}

fs::path SourceRoot() {
    const char* root = std::getenv("VMX_ROOT");
    return root ? fs::path(root) : fs::path();
}

TEST(MessageSources, TheDetectorSeesWrittenAndEscapedJapaneseOnly) {
    EXPECT_TRUE(HoldsJapanese("return L\"\xE7\x84\xA1\xE5\x8A\xB9\";"));  // written out
    EXPECT_TRUE(HoldsJapanese("// \xE3\x80\x8C quoted \xE3\x80\x8D"));    // CJK brackets, in a comment
    EXPECT_TRUE(HoldsJapanese("L\"\xEF\xBC\x9A\""));                      // full-width colon
    EXPECT_TRUE(HoldsJapanese("L\"\\u30C7\\u30A3\""));                    // \u escapes
    EXPECT_TRUE(HoldsJapanese("L\"\\U00006709\""));
    EXPECT_FALSE(HoldsJapanese("L\"VelmoraEX \\u00e9 \\u2014 \xC3\xA9 \xE2\x80\x94\""));  // other letters and dashes
    EXPECT_FALSE(HoldsJapanese("\\u30"));                                                 // cut short
    EXPECT_FALSE(HoldsJapanese("path\\users\\u30zz"));
}

TEST(MessageSources, NoSourceFileOutsideTheResourceScriptsHoldsJapanese) {
    const fs::path root = SourceRoot();
    ASSERT_TRUE(fs::is_regular_file(root / "utility/ui/Strings.rc")) << "VMX_ROOT is not the source tree";
    int tokens = 0;
    for (const Finding& f : ScanTree(root)) {
        if (f.file == kTokenFile && f.text == kTokenLine) {
            ++tokens;
            continue;
        }
        ADD_FAILURE() << f.file << ":" << f.line << ": Japanese text belongs in the message table: " << f.text;
    }
    EXPECT_EQ(tokens, 1) << "the automatic-letter token must be written once, as " << kTokenLine;
}

}  // namespace
