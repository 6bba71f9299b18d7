#pragma once
// Task 15: the virtual links of one RAM disk, carried out by the tools program one command at
// a time (the worker blocks while it runs): remove them all, re-link them all, or create the
// pending ones. Afterwards the disk's [Vlink] and [RVlink] sections (and those of its pending
// settings file, when there is one) say what is on disk, and Links and PendingLinks hold the
// same lists for the manager.
#include <string>
#include <vector>

#include "common/VelmoraEXVlinkData.h"
#include "utility/core/VMUThreadTaskHeader.h"

class IVlinkCommands;

// SubOperation values.
enum : int32_t {
    VLINK_REMOVE = 1,
    VLINK_CREATE = 2,
    VLINK_CREATE_PENDING = 3,
};

class CVMUThreadTaskVlinkEX : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskVlinkEX() : CVMUThreadTaskHeader(TASK_VLINK) {}

    // Runs the sub-operation SubOperation names; any other value does nothing. Without Commands
    // nothing is done and Result is -1.
    void Execute() override;
    // Removes every link (a record without RAM-disk and backup folder is a pending link and is
    // just dropped); without a drive letter the disk is off, so each link is restored from its
    // backup folder. Links keeps those that could not be removed; PendingLinks becomes empty.
    // Result 0 only when every link went.
    virtual void RemoveLinks();
    // Re-links every link. Links stays as it was: a link that could not be put back still
    // holds the user's data in its backup folder, which a later removal restores. Result 0
    // when every link is in place.
    virtual void CreateLinks();
    // Creates a link for each pending source folder: a created one joins Links, a deferred one
    // (in use, retry at the next enable) stays in PendingLinks, a failed one is dropped (the
    // user was told why). Result 0 when none failed.
    virtual void CreatePendingLinks();

    int32_t SubOperation = 0;
    int32_t Reserved = 0;
    wchar_t DriveLetter = 0;
    std::wstring SettingsPath;
    std::vector<CVelmoraEXVlinkData> Links;
    std::vector<std::wstring> PendingLinks;
    // What happened to the links handled: done (removed, in place, created), deferred to the
    // next enable, failed.
    int32_t Done = 0;
    int32_t Deferred = 0;
    int32_t Failed = 0;

    // Runs the commands; not owned, outlives the task. Its messages belong to the window that
    // posted the task.
    IVlinkCommands* Commands = nullptr;

private:
    // Rewrites [Vlink] and [RVlink] of the settings file and of its pending copy when present.
    void WriteSections() const;
    void Finish();
};
