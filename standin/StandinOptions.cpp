#include "standin/StandinOptions.h"

#include <set>

const wchar_t CStandinOptions::kUsage[] =
    L"usage: VelmoraEXStandin [--pipe-name NAME] [--memory-budget BYTES[K|M|G|T]] [--ram-dir FOLDER] "
    L"[--save-rate BYTES[K|M|G|T]] [--no-startup-disks] [--no-drives] | --stop [--pipe-name NAME] | --help";
const wchar_t CStandinOptions::kDefaultPipeName[] = L"VelmoraEXRamDiskDriver";

bool CStandinOptions::ParseBytes(const std::wstring& text, uint64_t& bytes) {
    if (text.empty()) return false;
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9') {
        unsigned digit = static_cast<unsigned>(text[digits] - L'0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
        ++digits;
    }
    if (digits == 0) return false;
    unsigned shift = 0;
    if (digits < text.size()) {
        if (digits + 1 != text.size()) return false;
        switch (text[digits]) {
            case L'K':
            case L'k':
                shift = 10;
                break;
            case L'M':
            case L'm':
                shift = 20;
                break;
            case L'G':
            case L'g':
                shift = 30;
                break;
            case L'T':
            case L't':
                shift = 40;
                break;
            default:
                return false;
        }
    }
    if (shift && value > (UINT64_MAX >> shift)) return false;
    bytes = value << shift;
    return true;
}

bool CStandinOptions::Parse(const std::vector<std::wstring>& args, std::wstring& error) {
    std::set<std::wstring> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& name = args[i];
        if (!seen.insert(name).second) {
            error = L"option given twice: " + name;
            return false;
        }
        bool takesValue =
            name == L"--pipe-name" || name == L"--memory-budget" || name == L"--ram-dir" || name == L"--save-rate";
        if (takesValue && i + 1 >= args.size()) {
            error = L"option needs a value: " + name;
            return false;
        }
        if (name == L"--pipe-name") {
            const std::wstring& value = args[++i];
            if (value.empty() || value.size() > kMaxPipeNameLength ||
                value.find_first_of(L"\\/") != std::wstring::npos) {
                error = L"pipe name must be 1 to 200 characters without slashes";
                return false;
            }
            for (wchar_t c : value) {
                if (c < 0x20) {
                    error = L"pipe name holds a control character";
                    return false;
                }
            }
            pipeName = value;
        } else if (name == L"--memory-budget") {
            if (!ParseBytes(args[++i], memoryBudget)) {
                error = L"memory budget must be a number of bytes, optionally with K, M, G or T: " + args[i];
                return false;
            }
            hasMemoryBudget = true;
        } else if (name == L"--save-rate") {
            if (!ParseBytes(args[++i], saveRate) || saveRate == 0) {
                error =
                    L"save rate must be a positive number of bytes a second, optionally with K, M, G or T: " + args[i];
                return false;
            }
        } else if (name == L"--ram-dir") {
            ramDir = args[++i];
            if (ramDir.empty()) {
                error = L"RAM folder must not be empty";
                return false;
            }
        } else if (name == L"--no-startup-disks") {
            startupDisks = false;
        } else if (name == L"--no-drives") {
            drives = false;
        } else if (name == L"--stop") {
            stop = true;
        } else if (name == L"--help") {
            help = true;
        } else {
            error = L"unknown option: " + name;
            return false;
        }
    }
    if (stop && (hasMemoryBudget || !ramDir.empty() || !startupDisks || !drives || saveRate != 0)) {
        error = L"--stop takes only --pipe-name";
        return false;
    }
    if (help && args.size() != 1) {
        error = L"--help takes no other option";
        return false;
    }
    return true;
}
