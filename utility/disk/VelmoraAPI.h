#pragma once
// The six RAM-disk driver commands. Each returns 1 when the call went through and both reply
// words are 0, else 0; the reply buffer keeps whatever the driver wrote.
#include <string>

#include "utility/disk/DriverCommand.h"
#include "utility/disk/RamDiskStatus.h"

class CVelmoraAPI : public CDriverCommand {
public:
    // Time-outs of OpenDevice: every command exchange, and the start-up check.
    static const DWORD kCommandTimeoutMs = 1000;
    static const DWORD kStartupTimeoutMs = 10000;

    int Create(const std::wstring& diskId, bool imageMode, RamDiskStatus& reply);
    int Remove(const std::wstring& diskId, wchar_t letter, uint8_t reserved, bool saveOnRemove, DriverReply& reply);
    int Query(const std::wstring& diskId, wchar_t letter, RamDiskStatus& reply);
    int SaveAndRemove(const std::wstring& diskId, wchar_t letter, uint8_t reserved, const std::wstring& imagePath,
                      uint64_t pieceSize, DriverReply& reply);
    int Sync(const std::wstring& diskId, bool begin, DriverReply& reply);

    // Opens, closes, and reports whether the driver could be opened within timeoutMs.
    static bool IsDriverUp(DWORD timeoutMs);

    // "<folder>\VelmoraEX.dat" with one backslash between.
    static std::wstring ImagePathOf(const std::wstring& backupFolder);

private:
    // The letter for the notices: the caller's, or the driver's answer to a query when that is 0.
    wchar_t LookupLetter(const std::wstring& diskId, wchar_t letter);
};
