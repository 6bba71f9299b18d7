#pragma once
// Task 11: remove a RAM disk from the driver, either dropping or saving its contents into its
// image, or saving them into a newly made image (backup switched on for a mounted disk).
#include <cstdint>
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/core/VelmoraEXPropertyData.h"

class CVMUThreadTaskUnmountEX : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskUnmountEX() : CVMUThreadTaskHeader(TASK_UNMOUNT) {}

    // SaveToNewImage 1: the save-to-new-image variant with Property's new settings; otherwise
    // the remove command for SettingsPath. Result -1 or the driver's error code; Message 4002
    // or 4115 when the new image could not be made (nothing is then sent to the driver).
    void Execute() override;

    std::wstring SettingsPath;
    uint8_t Reserved = 0;      // byte A of the command, always 0
    uint8_t SaveOnRemove = 0;  // 1: the driver writes the contents to the image before removing
    int32_t SaveToNewImage = 0;
    CVelmoraEXPropertyData Property;

private:
    void Remove();
    void SaveToNewImageAndRemove();
};
