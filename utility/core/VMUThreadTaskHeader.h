#pragma once
// Base of the worker tasks. The window thread fills a task, posts it to the worker, gets the
// same object back when Execute has run, reads Result and Message, and destroys it.
#include <cstdint>
#include <string>

// Type values of the task classes.
enum : int32_t {
    TASK_SETTING = 8,           // CVMUThreadTaskSettingEx
    TASK_SETTING_DELETE = 9,    // CVMUThreadTaskSettingDeleteEx
    TASK_MOUNT = 10,            // CVMUThreadTaskMountEX
    TASK_UNMOUNT = 11,          // CVMUThreadTaskUnmountEX
    TASK_GET_STATUS = 12,       // CVMUThreadTaskGetStatusEX
    TASK_BROWSER_SETTING = 13,  // CVMUThreadTaskBrowserSettingEX
    TASK_RAM_FOLDER = 14,       // CVMUThreadTaskRAMFolderEX
    TASK_VLINK = 15,            // CVMUThreadTaskVlinkEX
};

// Result when nothing reached the driver (or another failure without a driver code).
const int32_t kTaskResultNotSent = -1;

class CVMUThreadTaskHeader {
public:
    explicit CVMUThreadTaskHeader(int32_t type) : Type(type) {}
    CVMUThreadTaskHeader(const CVMUThreadTaskHeader&) = delete;
    CVMUThreadTaskHeader& operator=(const CVMUThreadTaskHeader&) = delete;
    virtual ~CVMUThreadTaskHeader() = default;

    // Runs on the worker thread; records the outcome in Result, Message and the task's fields.
    virtual void Execute() = 0;

    const int32_t Type;
    int32_t Result = 0;    // 0 success; -1 or a driver error code on failure
    std::wstring Message;  // failure text to show; empty when there is none
};
