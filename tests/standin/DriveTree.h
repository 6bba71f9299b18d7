#pragma once
// Files put on a stand-in disk through its drive letter, and read back from the drive or from
// the disk's backup image with the file system's own Linux tools (ntfs-3g's, dosfstools and
// mtools), not through our code.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/ScratchFolder.h"
#include "standin/StandinHarness.h"
#include "standin/StandinMountScripts.h"
#include "standin/StandinUnixSide.h"
#include "utility/links/Utf8Text.h"

class CDriveTree {
public:
    struct File {
        std::wstring name;  // from the root, starting with a backslash
        size_t size;
    };

    // The tree for a file system: Japanese names on NTFS; on FAT ASCII 8.3 names (all fusefat
    // takes).
    static CDriveTree For(bool ntfs, size_t bigFileBytes = 0) {
        CDriveTree tree;
        tree.m_ntfs = ntfs;
        tree.m_folders = ntfs ? std::vector<std::wstring>{L"\\日本語フォルダ", L"\\日本語フォルダ\\下の階"}
                              : std::vector<std::wstring>{L"\\DIR", L"\\DIR\\SUB"};
        const std::wstring& deep = tree.m_folders.back();
        tree.m_files = {{tree.m_folders.front() + (ntfs ? L"\\メモ.txt" : L"\\ONE.BIN"), 1},
                        {deep + L"\\TWO.BIN", 100000},
                        {deep + L"\\THREE.BIN", 3 << 20}};
        if (bigFileBytes) tree.m_files.push_back({L"\\BIG.BIN", bigFileBytes});
        return tree;
    }

    // True when the machine mounts both file systems through FUSE.
    static bool CanMount() { return UStandinUnixSide::RunScript(UStandinMountScripts::Probe(), 60000) == 0; }

    bool Write(const std::wstring& root) const {
        for (const auto& folder : m_folders) {
            if (!CreateDirectoryW((root + folder).c_str(), nullptr)) return false;
        }
        for (size_t i = 0; i < m_files.size(); ++i) {
            const std::vector<uint8_t> bytes = Bytes(i);
            if (!ScratchFolder::Write(root + m_files[i].name, std::vector<char>(bytes.begin(), bytes.end())))
                return false;
        }
        return true;
    }

    // The files that are not byte for byte under root, with what was found; empty when all are.
    std::string Mismatches(const std::wstring& root) const {
        std::string out;
        for (size_t i = 0; i < m_files.size(); ++i) {
            const std::vector<uint8_t> found = FileBytes(root + m_files[i].name, 0, m_files[i].size + 1);
            if (found != Bytes(i)) out += " " + Utf8(m_files[i].name) + " (" + std::to_string(found.size()) + " bytes)";
        }
        return out;
    }

    // Checks the volume in image (a Windows path of one piece) with the file system's checker and
    // copies every file out of it with its tools into scratch: what went wrong, empty when the
    // volume is sound and every file is there byte for byte.
    std::string ImageMismatches(const std::wstring& image, const std::wstring& scratch) const {
        namespace Scripts = UStandinMountScripts;
        // fsck.fat notes the empty label of 11 spaces the formatter writes; anything else fails.
        // fusefat marks the FAT it wrote with its I/O-error flag, which mtools refuses unchecked.
        const std::string check =
            m_ntfs ? "ntfsfix -n \"$1\""
                   : "! { fsck.fat -n \"$1\" | tee /dev/stderr | grep -v -e '^fsck.fat ' -e 'Label .* not valid' "
                     "-e 'Auto-removing label' -e 'Leaving filesystem unchanged' -e ' files, ' -e '^$' | grep -q .; }";
        const char* extract =
            m_ntfs ? "ntfscat \"$1\" \"$2\" >\"$3\"" : "MTOOLS_SKIP_CHECK=1 mcopy -n -i \"$1\" \"::$2\" \"$3\"";
        std::string out;
        for (size_t i = 0; i < m_files.size(); ++i) {
            const std::wstring copy = scratch + L"\\image-copy-" + std::to_wstring(i);
            const std::wstring log = copy + L".log";
            std::wstring inImage = m_files[i].name;
            std::replace(inImage.begin(), inImage.end(), L'\\', L'/');
            const std::string script = "set -- " + Scripts::Quote(UStandinUnixSide::UnixName(image)) + " " +
                                       Scripts::Quote(Utf8(inImage)) + " " +
                                       Scripts::Quote(UStandinUnixSide::UnixName(copy)) + "\n{ " + check + " && " +
                                       extract + "; } >" + Scripts::Quote(UStandinUnixSide::UnixName(log)) + " 2>&1";
            const int code = UStandinUnixSide::RunScript(script, 60000);
            const std::vector<char> said = ScratchFolder::Read(log);
            if (code != 0)
                out += " " + Utf8(m_files[i].name) + ": code " + std::to_string(code) + ": " +
                       std::string(said.begin(), said.end());
            else if (FileBytes(copy, 0, m_files[i].size + 1) != Bytes(i))
                out += " " + Utf8(m_files[i].name) + ": other bytes in the image";
        }
        return out;
    }

    size_t TotalBytes() const {
        size_t total = 0;
        for (const auto& f : m_files) total += f.size;
        return total;
    }

    static std::string Utf8(const std::wstring& text) { return UUtf8Text::FromWide(text); }

private:
    std::vector<uint8_t> Bytes(size_t i) const { return Pattern(m_files[i].size, static_cast<unsigned>(i) + 7); }

    bool m_ntfs = true;
    std::vector<std::wstring> m_folders;
    std::vector<File> m_files;
};
