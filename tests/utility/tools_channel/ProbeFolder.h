#pragma once
// The folder of VelmoraEXToolsProbe.exe for one case (VMX_TOOLS_PROBE_DIR while it lives): the
// answer record of each command it will receive, and the commands it received.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/DataParser.h"
#include "common/VelmoraEXVlinkData.h"
#include "framework/ScratchFolder.h"

class CProbeFolder {
public:
    CProbeFolder() { SetEnvironmentVariableW(L"VMX_TOOLS_PROBE_DIR", m_folder.Path().c_str()); }
    ~CProbeFolder() { SetEnvironmentVariableW(L"VMX_TOOLS_PROBE_DIR", nullptr); }
    void Answer(int index, const std::vector<uint8_t>& record) {
        std::ofstream((m_folder / (L"answer-" + std::to_wstring(index) + L".bin")).c_str(), std::ios::binary)
            .write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
    }
    // The commands received, as the probe decoded them.
    struct Received {
        int32_t number = 0;
        char16_t drive = 0;
        CVelmoraEXVlinkData link;
    };
    std::vector<Received> Commands() const {
        std::vector<Received> all;
        for (int i = 0;; ++i) {
            std::ifstream in((m_folder / (L"command-" + std::to_wstring(i) + L".bin")).c_str(), std::ios::binary);
            if (!in) break;
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            CDataParser parser(bytes);
            Received r;
            EXPECT_TRUE(parser.ReadInt32(r.number) && parser.ReadChar(r.drive) && parser.ReadString(r.link.src) &&
                        parser.ReadString(r.link.dst) && parser.ReadString(r.link.backup) && parser.AtEnd());
            all.push_back(r);
        }
        return all;
    }

private:
    ScratchFolder m_folder;
};
