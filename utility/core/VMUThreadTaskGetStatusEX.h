#pragma once
// Task 12: the periodic status query of every listed disk.
#include <map>
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/disk/RamDiskStatus.h"

class CVMUThreadTaskGetStatusEX : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskGetStatusEX() : CVMUThreadTaskHeader(TASK_GET_STATUS) {}

    // Opens the device once without waiting: -1 when it is absent or busy. Otherwise queries
    // every path of Replies in map order, keeps each reply in its entry, and Result is 0.
    void Execute() override;

    // Settings path -> the driver's reply to its query (ordered by the wide strings).
    std::map<std::wstring, RamDiskStatus> Replies;
};
