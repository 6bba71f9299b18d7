#pragma once
// The status page's list of RAM disks: one row per disk with its state, size, backup mode and
// unsaved amount. Every row carries an owned copy of the disk's name (its settings-file path),
// freed when the row goes (LVN_DELETEITEM, which the parent hands back through ReflectNotify).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "framework/ListCtrl.h"

class CVelmoraEXData;

class CVelmoraDiskListCtrl : public CListCtrl {
public:
    enum Column { COL_DISK = 0, COL_SIZE = 1, COL_BACKUP = 2, COL_UNSAVED = 3 };

    // Full-row selection and the four columns, sized to the list's width.
    void InitColumns();

    // Appends a row for disk (drawn with its current state); the row, or -1.
    int AddDisk(const CVelmoraEXData& disk);
    // The row whose name is path (without regard to case), or -1.
    int FindDisk(const std::wstring& path) const;
    // Deletes the row of path; false when there is none.
    bool RemoveDisk(const std::wstring& path);
    // The row's name; empty for a row that does not exist.
    std::wstring NameOf(int row) const;

    // Redraws a row as enabled or disabled (whatever the disk's mode says).
    void DrawRow(int row, const CVelmoraEXData& disk, bool enabled);
    // Column 3 of a row that shows the unsaved amount.
    void SetUnsaved(int row, uint64_t unsavedBytes);

    // The parent's WM_NOTIFY: frees the name of a deleted row. TRUE when it was this list's
    // LVN_DELETEITEM (handled, *result 0).
    BOOL ReflectNotify(LPARAM lParam, LRESULT* result);

    // Texts of the columns. enabled: the disk is shown as enabled (mode not 0).
    static bool IsEnabled(const CVelmoraEXData& disk);
    static std::wstring DiskText(const CVelmoraEXData& disk, bool enabled);
    static std::wstring SizeText(const CVelmoraEXData& disk, bool enabled);
    static std::wstring BackupText(const CVelmoraEXData& disk, bool enabled);
    // Whether column 3 follows the status updates (enabled, in memory, WriteBack); other rows
    // show "----".
    static bool ShowsUnsaved(const CVelmoraEXData& disk, bool enabled);
    // The text a DiskOperation code puts in column 0; empty for idle and unknown codes.
    static std::wstring OperationText(int32_t operation);
    // "%I64dMB" of a byte count.
    static std::wstring MegabyteText(uint64_t bytes);

private:
    int TextWidth(HDC dc, const std::wstring& text) const;
};
