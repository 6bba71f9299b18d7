#include "utility/ui/VelmoraDiskListCtrl.h"

#include "utility/core/MessageText.h"
#include "utility/core/VelmoraEXData.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/resource.h"

namespace {

const std::wstring* NameData(DWORD_PTR data) { return reinterpret_cast<const std::wstring*>(data); }

}  // namespace

bool CVelmoraDiskListCtrl::IsEnabled(const CVelmoraEXData& disk) { return disk.Status.Mode != MODE_NOT_MOUNTED; }

std::wstring CVelmoraDiskListCtrl::MegabyteText(uint64_t bytes) {
    return UMessageText::Format(IDS_3107, {static_cast<int64_t>(bytes >> 20)});
}

std::wstring CVelmoraDiskListCtrl::OperationText(int32_t operation) {
    if (operation >= OP_ENABLE_MOUNT && operation <= OP_ENABLE_PENDING_LINKS) return UMessageText::Load(IDS_3204);
    switch (operation) {
        case OP_DISABLE_UNMOUNT:
        case OP_SETTINGS_UNMOUNT:
            return UMessageText::Load(IDS_3205);
        case OP_SAVING:
            return UMessageText::Load(IDS_3207);
        case OP_ENABLE_MOUNT_IMAGE:
            return UMessageText::Load(IDS_3206);
        case OP_ENABLE_MOUNT_RECREATED:
        case OP_SETTINGS_WRITE_NEW:
            return UMessageText::Load(IDS_3215);
        case OP_SETTINGS_WRITE:
        case OP_SETTINGS_BROWSER_OFF:
        case OP_SETTINGS_BROWSER_ON:
            return UMessageText::Load(IDS_3208);
        default:
            break;
    }
    if (operation >= OP_DELETE_SETTINGS && operation <= OP_DELETE_LINKS) return UMessageText::Load(IDS_6001);
    if (operation >= OP_RESUME_BROWSER && operation <= OP_RESUME_PENDING_LINKS) return UMessageText::Load(IDS_3208);
    return std::wstring();
}

std::wstring CVelmoraDiskListCtrl::DiskText(const CVelmoraEXData& disk, bool enabled) {
    const std::wstring step = OperationText(disk.Status.DiskOperation);
    if (!step.empty()) return step;
    if (enabled) {
        const wchar_t letter = disk.Status.CurrentLetter ? disk.Status.CurrentLetter : L' ';
        if (disk.Status.Mode == MODE_IMAGE) return UMessageText::Format(IDS_3210, {letter});
        return std::wstring(1, letter) + L":";
    }
    if (disk.Setting.DriveSize != 0 && disk.Setting.DriveLetter != 0) return UMessageText::Load(IDS_3202);
    return UMessageText::Load(IDS_3203);
}

std::wstring CVelmoraDiskListCtrl::SizeText(const CVelmoraEXData& disk, bool enabled) {
    if (enabled || (disk.Setting.DriveSize != 0 && disk.Setting.DriveLetter != 0))
        return MegabyteText(disk.Setting.DriveSize);
    return std::wstring();
}

std::wstring CVelmoraDiskListCtrl::BackupText(const CVelmoraEXData& disk, bool enabled) {
    if (enabled && disk.Status.Mode == MODE_IMAGE) return UMessageText::Load(IDS_3108);
    switch (disk.Setting.SaveType) {
        case SAVE_NONE:
            return UMessageText::Load(IDS_3109);
        case SAVE_AT_LOGOFF:
            return UMessageText::Load(IDS_3100);
        case SAVE_WRITE_BACK:
            return UMessageText::Load(IDS_3103);
        case SAVE_WRITE_THROUGH:
            return UMessageText::Load(IDS_3104);
        default:
            return std::wstring();
    }
}

bool CVelmoraDiskListCtrl::ShowsUnsaved(const CVelmoraEXData& disk, bool enabled) {
    return enabled && disk.Status.Mode != MODE_IMAGE && disk.Setting.SaveType == SAVE_WRITE_BACK;
}

int CVelmoraDiskListCtrl::TextWidth(HDC dc, const std::wstring& text) const {
    SIZE size = {};
    if (!GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
    return size.cx;
}

void CVelmoraDiskListCtrl::InitColumns() {
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);

    int space = 0, diskWidth = 0, backupWidth = 0;
    if (HDC dc = GetDC(m_hWnd)) {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        space = TextWidth(dc, L" ");
        diskWidth = space + TextWidth(dc, UMessageText::Load(IDS_3205));
        backupWidth = space + TextWidth(dc, UMessageText::Load(IDS_3104));
        if (old) SelectObject(dc, old);
        ReleaseDC(m_hWnd, dc);
    }
    RECT rect = {};
    ::GetWindowRect(m_hWnd, &rect);
    int remaining =
        (rect.right - rect.left) - 2 * GetSystemMetrics(SM_CXEDGE) - diskWidth - space - backupWidth - space;
    if (remaining < 0) remaining = 0;

    while (GetColumnCount() > 0) DeleteColumn(0);
    InsertColumn(COL_DISK, UMessageText::Load(IDS_5000).c_str(), LVCFMT_LEFT, diskWidth);
    InsertColumn(COL_SIZE, UMessageText::Load(IDS_5001).c_str(), LVCFMT_RIGHT, space + remaining / 2);
    InsertColumn(COL_BACKUP, UMessageText::Load(IDS_5003).c_str(), LVCFMT_LEFT, backupWidth);
    InsertColumn(COL_UNSAVED, UMessageText::Load(IDS_5004).c_str(), LVCFMT_RIGHT, space + remaining / 2);
}

int CVelmoraDiskListCtrl::AddDisk(const CVelmoraEXData& disk) {
    std::wstring* name = new std::wstring(disk.Status.SettingsPath);
    const int row = InsertItem(GetItemCount(), L"", reinterpret_cast<DWORD_PTR>(name));
    if (row < 0) {
        delete name;
        return -1;
    }
    DrawRow(row, disk, IsEnabled(disk));
    return row;
}

int CVelmoraDiskListCtrl::FindDisk(const std::wstring& path) const {
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        const std::wstring* name = NameData(GetItemData(row));
        if (name && CompareStringOrdinal(name->c_str(), static_cast<int>(name->size()), path.c_str(),
                                         static_cast<int>(path.size()), TRUE) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

bool CVelmoraDiskListCtrl::RemoveDisk(const std::wstring& path) {
    const int row = FindDisk(path);
    return row >= 0 && DeleteItem(row);
}

std::wstring CVelmoraDiskListCtrl::NameOf(int row) const {
    if (row < 0 || row >= GetItemCount()) return std::wstring();
    const std::wstring* name = NameData(GetItemData(row));
    return name ? *name : std::wstring();
}

void CVelmoraDiskListCtrl::DrawRow(int row, const CVelmoraEXData& disk, bool enabled) {
    if (row < 0 || row >= GetItemCount()) return;
    SetItemText(row, COL_DISK, DiskText(disk, enabled).c_str());
    SetItemText(row, COL_SIZE, SizeText(disk, enabled).c_str());
    SetItemText(row, COL_BACKUP, BackupText(disk, enabled).c_str());
    // A row that follows the status updates keeps its last figure.
    if (!ShowsUnsaved(disk, enabled)) SetItemText(row, COL_UNSAVED, UMessageText::Load(IDS_3108).c_str());
}

void CVelmoraDiskListCtrl::SetUnsaved(int row, uint64_t unsavedBytes) {
    if (row < 0 || row >= GetItemCount()) return;
    SetItemText(row, COL_UNSAVED, MegabyteText(unsavedBytes).c_str());
}

BOOL CVelmoraDiskListCtrl::ReflectNotify(LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !m_hWnd || header->hwndFrom != m_hWnd || header->code != LVN_DELETEITEM) return FALSE;
    const NMLISTVIEW* item = reinterpret_cast<const NMLISTVIEW*>(lParam);
    delete NameData(static_cast<DWORD_PTR>(item->lParam));
    *result = 0;
    return TRUE;
}
