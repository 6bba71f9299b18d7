// format-image: creates the backup image piece set "VelmoraEX.dat" in a folder and writes an
// empty volume into it, through the same operations the utility runs (create, then format).
//   format-image --type <FormatType> --size <bytes> --dir <folder>
// Exit 0 on success, 1 when creating or formatting fails, 2 for a malformed command line.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/FileException.h"
#include "framework/NativePath.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/FormatObject.h"
#include "utility/disk/ListFile.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace {

const char kUsage[] =
    "usage: format-image --type <FormatType> --size <bytes> --dir <folder>"
    " (FormatType 1, 2, 3, 4, 0x10000 or 0x20000)\n";

void Print(FILE* stream, const std::wstring& text) {
    std::string bytes = UNativePath::FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

int Usage(const std::wstring& problem) {
    Print(stderr, L"format-image: " + problem + L"\n");
    std::fputs(kUsage, stderr);
    return 2;
}

// A number in decimal, or in hexadecimal after "0x"; digits only, no sign, no overflow.
bool ParseNumber(const std::wstring& text, uint64_t& value) {
    unsigned base = 10;
    size_t at = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        at = 2;
    }
    if (at >= text.size()) return false;
    value = 0;
    for (; at < text.size(); ++at) {
        wchar_t c = text[at];
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return false;
        if (value > (UINT64_MAX - digit) / base) return false;
        value = value * base + digit;
    }
    return true;
}

bool IsFormatType(uint64_t type) {
    return type == 1 || type == 2 || type == 3 || type == 4 || type == 0x10000 || type == 0x20000;
}

const wchar_t* FormatErrName(int value) {
    switch (value) {
        case FORMAT_ERR_PARAM:
            return L"FORMAT_ERR_PARAM";
        case FORMAT_ERR_WRITE:
            return L"FORMAT_ERR_WRITE";
        case FORMAT_ERR_NOMEM:
            return L"FORMAT_ERR_NOMEM";
        default:
            return L"unknown";
    }
}

std::wstring Hex(uint64_t value) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    do {
        out.insert(out.begin(), kDigits[value & 15]);
        value >>= 4;
    } while (value);
    return L"0x" + out;
}

int Run(const std::vector<std::wstring>& args) {
    std::wstring typeText, sizeText, folder;
    bool haveType = false, haveSize = false, haveDir = false;
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::wstring& option = args[i];
        if (i + 1 >= args.size()) return Usage(L"missing value after " + option);
        const std::wstring& value = args[i + 1];
        bool* seen;
        std::wstring* slot;
        if (option == L"--type") {
            seen = &haveType;
            slot = &typeText;
        } else if (option == L"--size") {
            seen = &haveSize;
            slot = &sizeText;
        } else if (option == L"--dir") {
            seen = &haveDir;
            slot = &folder;
        } else
            return Usage(L"unknown argument " + option);
        if (*seen) return Usage(option + L" given twice");
        *seen = true;
        *slot = value;
    }
    if (!haveType || !haveSize || !haveDir) return Usage(L"--type, --size and --dir are all required");

    uint64_t type = 0, size = 0;
    if (!ParseNumber(typeText, type) || !IsFormatType(type)) return Usage(L"bad FormatType \"" + typeText + L"\"");
    if (!ParseNumber(sizeText, size) || size == 0) return Usage(L"bad size \"" + sizeText + L"\"");
    if (folder.empty()) return Usage(L"empty folder");

    int formatType = static_cast<int>(type);
    std::wstring stage = L"creating";
    try {
        UBackupImage::CreateImage(folder, size);
        stage = L"formatting";
        UBackupImage::FormatImage(folder, size, formatType);
    } catch (CException* e) {
        std::wstring text;
        e->GetErrorMessage(text);
        std::wstring line = L"format-image: " + stage + L" failed: ";
        if (CFileException* file = dynamic_cast<CFileException*>(e)) {
            line += L"file error " + std::to_wstring(file->m_lOsError) + L" (" + text + L")";
            if (!file->m_strFileName.empty()) line += L": " + file->m_strFileName;
        } else {
            line += L"error (" + text + L")";
        }
        e->Delete();
        Print(stderr, line + L"\n");
        return 1;
    } catch (FormatError value) {
        Print(stderr, L"format-image: " + stage + L" failed: FormatError " + std::to_wstring(value) + L" (" +
                          FormatErrName(value) + L")\n");
        return 1;
    }
    uint64_t pieces = CListFile::PieceCount(size, CVelmoraDiskFile::kPieceSize);
    Print(stdout, L"format-image: " + UBackupImage::ImageBasePath(folder) + L": " + std::to_wstring(size) +
                      L" bytes in " + std::to_wstring(pieces) + (pieces == 1 ? L" piece" : L" pieces") +
                      L", FormatType " + Hex(type) + L"\n");
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(UNativePath::ToWide(argv[i]));
    return Run(args);
}
#endif
