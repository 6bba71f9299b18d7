#pragma once
// Task 8: carry out a disk's new settings: the backup image (create and format, delete,
// move), the settings file (or the promoted pending file) and the start-up registration.
#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/core/VelmoraEXPropertyData.h"

class CVMUThreadTaskSettingEx : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskSettingEx() : CVMUThreadTaskHeader(TASK_SETTING) {}

    // Result 0, or -1 with Message 4002, 4103, 4115 or 4119. A failure in the image work
    // leaves the settings file, the pending file and the registration as they were.
    void Execute() override;

    CVelmoraEXPropertyData Property;

private:
    void PrepareImage(std::wstring& error, bool& moving);
    void WriteSettings();
};
