// VelmoraEXToolsProbe.exe: the tools program with a recording command handler instead of the
// link procedures, for the tests of the tools channel. Everything else is the real program's
// code. In the folder named by VMX_TOOLS_PROBE_DIR, the n-th command it receives (n counted
// from 0 by the files already there) is written to command-<n>.bin (number, drive letter and
// the three paths as received, built with the message builder), and answered with the bytes
// of answer-<n>.bin (the all-zero record of the command's size when that file is missing).
#include <windows.h>

#include <clocale>
#include <fstream>
#include <iterator>
#include <string>

#include "common/DataConverter.h"
#include "common/ToolResultRecords.h"
#include "tools/ToolCommandHandler.h"
#include "tools/ToolsProgram.h"

namespace {

std::vector<uint8_t> ZeroRecord(const UToolCommandDecoder::CCommand& command) {
    return std::vector<uint8_t>(UToolResultRecords::RecordSize(command.number), 0);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class CRecordingHandler : public IToolCommandHandler {
public:
    std::vector<uint8_t> Carry(const UToolCommandDecoder::CCommand& command) override {
        wchar_t folder[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"VMX_TOOLS_PROBE_DIR", folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return ZeroRecord(command);
        const std::wstring dir(folder, n);
        int index = 0;
        while (Exists(dir + L"\\command-" + std::to_wstring(index) + L".bin")) ++index;
        CDataConverter record;
        record.AppendInt32(command.number);
        record.AppendChar(command.drive);
        record.AppendString(command.link.src);
        record.AppendString(command.link.dst);
        record.AppendString(command.link.backup);
        std::ofstream((dir + L"\\command-" + std::to_wstring(index) + L".bin").c_str(), std::ios::binary)
            .write(reinterpret_cast<const char*>(record.Data()), static_cast<std::streamsize>(record.Size()));
        std::ifstream answer((dir + L"\\answer-" + std::to_wstring(index) + L".bin").c_str(), std::ios::binary);
        if (!answer) return ZeroRecord(command);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(answer), std::istreambuf_iterator<char>());
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    setlocale(LC_ALL, "");
    CRecordingHandler handler;
    return UToolsProgram::Main(UToolsProgram::Arguments(), handler);
}
