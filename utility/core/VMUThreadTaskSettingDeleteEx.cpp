#include "utility/core/VMUThreadTaskSettingDeleteEx.h"

#include "utility/links/RemoveOperation.h"

void CVMUThreadTaskSettingDeleteEx::Execute() {
    Result = 0;
    Message.clear();
    RestartNeeded = 0;
    // The disk is gone from the driver by now; whatever is still held open is deleted at the
    // restart that RestartNeeded asks for.
    if (!URemoveOperation::RemoveDiskSettings(SettingsPath, Setting, 1, RestartNeeded)) Result = kTaskResultNotSent;
}
