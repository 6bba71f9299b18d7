#pragma once
// The open channel to the RAM-disk driver: its device interface when present, otherwise the
// user-mode stand-in's pipe. Either is opened exclusively; a busy open is retried.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CDriverCommand {
public:
    CDriverCommand();
    virtual ~CDriverCommand();
    CDriverCommand(const CDriverCommand&) = delete;
    CDriverCommand& operator=(const CDriverCommand&) = delete;

    virtual void Close();

    // Device path of the first present driver interface; the stand-in's pipe when there is none.
    static std::wstring FindDevicePath();

    // Tries to open the device until timeoutMs has passed (by UClock), every kRetryIntervalMs.
    static const DWORD kRetryIntervalMs = 10;
    bool OpenDevice(DWORD timeoutMs);
    bool IsOpen() const { return m_device.IsValid(); }
    const std::wstring& DevicePath() const { return m_devicePath; }

protected:
    // DeviceIoControl, or its frame exchange with the stand-in. Fills reply (up to replySize bytes).
    bool Control(uint32_t code, const std::vector<uint8_t>& input, void* reply, uint32_t replySize);

    CHandle m_device;
    std::wstring m_devicePath;

private:
    bool IsStandinPipe() const;
    bool ControlThroughPipe(uint32_t code, const std::vector<uint8_t>& input, void* reply, uint32_t replySize);
};
