#include "utility/ui/VMUPropertyWholePage.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwctype>

#include "utility/core/MessageText.h"
#include "utility/core/VelmoraEXSettingData.h"
#include "utility/disk/DriveLetter.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/ui/VMUPropertySheet.h"
#include "utility/ui/resource.h"

namespace {

const wchar_t* const kFormatNames[] = {L"NTFS", L"FAT"};

const uint64_t kMinimumTotalMB = 256;  // at most this much installed memory: no RAM disk
const int64_t kReserveMB = 64;         // memory that must stay available
const int64_t kLimitReserveMB = 128;   // kept out of the slider's range

std::wstring LetterEntry(wchar_t letter) { return std::wstring(1, static_cast<wchar_t>(towupper(letter))) + L":"; }

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

CVMUPropertyWholePage::CVMUPropertyWholePage() : CVMUSheetPage(IDD_PROPERTY_WHOLE) {}

bool CVMUPropertyWholePage::IsStartupChecked() const {
    return m_hWnd && IsDlgButtonChecked(m_hWnd, IDC_PROPERTY_STARTUP) == BST_CHECKED;
}

void CVMUPropertyWholePage::SetStartupChecked(bool checked) {
    if (m_hWnd) CheckDlgButton(m_hWnd, IDC_PROPERTY_STARTUP, checked ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CVMUPropertyWholePage::OnInitDialog() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return TRUE;
    const CVelmoraEXSettingData& setting = sheet->WorkingCopy().Setting;
    m_slider.SubclassDlgItem(IDC_PROPERTY_SIZE_SLIDER, this);

    FillDriveLetters(setting.DriveLetter);
    SetStartupChecked(setting.LoadAtStartup == 1);

    HWND format = GetDlgItem(IDC_PROPERTY_FORMAT);
    ::SendMessageW(format, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* name : kFormatNames) ::SendMessageW(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ::SendMessageW(format, CB_SETCURSEL,
                   setting.FormatType == FORMAT_TYPE_FAT_AUTO ? FORMAT_INDEX_FAT : FORMAT_INDEX_NTFS, 0);

    WriteSizeText(static_cast<uint32_t>(std::min<uint64_t>(setting.DriveSize >> 20, UINT32_MAX)));
    ComputeSizeLimit();
    return TRUE;
}

// Free letters, then the disk's own letter when it is not among them (it is in use by the disk
// itself); the automatic entry (3100) for the automatic value and anything that is not a letter.
void CVMUPropertyWholePage::FillDriveLetters(unsigned char letter) {
    const std::wstring automatic = UMessageText::Load(IDS_3100);
    HWND combo = GetDlgItem(IDC_PROPERTY_LETTER);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(automatic.c_str()));
    CDriveLetter letters;
    letters.Query();
    for (wchar_t free : letters.Letters())
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LetterEntry(free).c_str()));

    const std::wstring wanted = IsLetter(letter) ? LetterEntry(static_cast<wchar_t>(letter)) : automatic;
    LRESULT index =
        ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wanted.c_str()));
    if (index == CB_ERR) index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wanted.c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

unsigned char CVMUPropertyWholePage::SelectedDriveLetter() const {
    HWND combo = GetDlgItem(IDC_PROPERTY_LETTER);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return 0;
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    if (text == UMessageText::Load(IDS_3100)) return kDriveLetterAutomatic;
    return text[0] < 0x80 ? static_cast<unsigned char>(text[0]) : 0;
}

void CVMUPropertyWholePage::ComputeSizeLimit() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return;
    const CVelmoraEXData& disk = sheet->WorkingCopy();
    const MemoryFigures figures = UPhysicalMemory::Read();
    m_memoryRead = true;
    uint64_t available = figures.availPhys;
    if (disk.Status.Mode != MODE_NOT_MOUNTED) available += disk.Status.DriverValue1;

    // With less than the reserve available the limit would not be positive; it becomes 1 and
    // the apply's memory check refuses.
    int64_t limit = static_cast<int64_t>(available >> 20) - kLimitReserveMB;
    const int64_t currentMB = static_cast<int64_t>(disk.Setting.DriveSize >> 20);
    if (!sheet->IsNewDisk() && limit < currentMB) limit = currentMB;
    if (limit < 1) limit = 1;
    if (limit > INT_MAX) limit = INT_MAX;  // the slider's range is a LONG
    m_limit = static_cast<uint32_t>(limit);

    m_slider.SendMessage(TBM_SETRANGEMIN, FALSE, 1);
    m_slider.SendMessage(TBM_SETRANGEMAX, TRUE, static_cast<LPARAM>(m_limit));
    uint32_t position = ReadSize();
    if (position > m_limit) position = m_limit;
    if (position < 1) position = 1;
    MoveSlider(position);
    WriteSizeText(position);
}

uint32_t CVMUPropertyWholePage::ReadSize() const {
    const std::wstring text = GetDlgItemText(IDC_PROPERTY_SIZE);
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

void CVMUPropertyWholePage::WriteSizeText(uint32_t value) {
    m_writingText = true;
    SetDlgItemText(IDC_PROPERTY_SIZE, std::to_wstring(value).c_str());
    m_writingText = false;
}

void CVMUPropertyWholePage::MoveSlider(uint32_t position) {
    m_movingSlider = true;
    m_ownPosition = static_cast<int>(position);
    m_slider.SendMessage(TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
    // The slider reports positions when it draws; drawing now lets this move pass while the
    // page still ignores it.
    if (m_slider.m_hWnd) ::UpdateWindow(m_slider.m_hWnd);
    m_movingSlider = false;
}

void CVMUPropertyWholePage::OnSizeEdited() {
    if (m_writingText || !m_limit) return;
    const uint32_t value = ReadSize();
    if (value <= 1)
        MoveSlider(1);
    else if (value >= m_limit)
        MoveSlider(m_limit);
    else
        MoveSlider(value);
}

void CVMUPropertyWholePage::OnSliderPosition(int position) {
    // A position the page set itself (reported now or at a later drawing) leaves the text alone.
    if (position == m_ownPosition) {
        m_ownPosition = -1;
        return;
    }
    if (m_movingSlider) return;
    m_ownPosition = -1;
    if (position >= 1) WriteSizeText(static_cast<uint32_t>(position));
}

bool CVMUPropertyWholePage::IsIECacheOn() const {
    CVMUPropertySheet* sheet = Sheet();
    return sheet && sheet->IECacheChosen();
}

void CVMUPropertyWholePage::SwitchIECacheOff() {
    if (CVMUPropertySheet* sheet = Sheet()) sheet->SwitchIECacheOff();
}

// The temporary files of Internet Explorer on this disk need it at start-up.
void CVMUPropertyWholePage::OnStartupClicked() {
    if (IsStartupChecked() || !IsIECacheOn()) return;
    if (Prompt(UMessageText::Load(IDS_4126), MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        SwitchIECacheOff();
    else
        SetStartupChecked(true);
}

BOOL CVMUPropertyWholePage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDC_PROPERTY_SIZE && code == EN_CHANGE) {
        OnSizeEdited();
        return TRUE;
    }
    if (id == IDC_PROPERTY_STARTUP && code == BN_CLICKED) {
        OnStartupClicked();
        return TRUE;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

BOOL CVMUPropertyWholePage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_slider.ReflectNotify(lParam, result)) return TRUE;
    return CPropertyPage::OnNotify(wParam, lParam, result);
}

LRESULT CVMUPropertyWholePage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SLIDER_POSITION) {
        OnSliderPosition(static_cast<int>(wParam));
        return 0;
    }
    if (message == WM_HSCROLL && m_slider.m_hWnd && reinterpret_cast<HWND>(lParam) == m_slider.m_hWnd) {
        // Releasing the slider puts its position into the text.
        if (LOWORD(wParam) == TB_ENDTRACK) {
            m_ownPosition = -1;
            const int position = m_slider.GetPos();
            if (position >= 1) WriteSizeText(static_cast<uint32_t>(position));
        }
        return 0;
    }
    return CPropertyPage::WindowProc(message, wParam, lParam);
}

BOOL CVMUPropertyWholePage::OnApply() {
    CVMUPropertySheet* sheet = Sheet();
    if (!sheet) return FALSE;
    if (sheet->IsClosing()) return TRUE;  // accepted already
    CVelmoraEXPropertyData& property = sheet->Property();
    const CVelmoraEXData& disk = sheet->WorkingCopy();
    const bool mounted = disk.Status.Mode != MODE_NOT_MOUNTED;

    HWND formatCombo = GetDlgItem(IDC_PROPERTY_FORMAT);
    LRESULT format = ::SendMessageW(formatCombo, CB_GETCURSEL, 0, 0);
    if (format != FORMAT_INDEX_NTFS && format != FORMAT_INDEX_FAT) return FALSE;

    const uint32_t size = ReadSize();
    const uint64_t sizeBytes = static_cast<uint64_t>(size) << 20;

    if (sheet->IsNewDisk() || sizeBytes != property.OldSetting.DriveSize) {
        const MemoryFigures figures = UPhysicalMemory::Read();
        uint64_t available = figures.availPhys;
        if (mounted) available += disk.Status.DriverValue1;
        if ((figures.totalPhys >> 20) <= kMinimumTotalMB) {
            Prompt(UMessageText::Format(IDS_4001, {static_cast<int64_t>(kMinimumTotalMB)}), MB_ICONINFORMATION);
            return FALSE;
        }
        if (static_cast<int64_t>(available >> 20) - kReserveMB < 1) {
            Prompt(UMessageText::Format(IDS_4005, {kReserveMB}), MB_ICONINFORMATION);
            return FALSE;
        }
        if (size == 0) {
            Prompt(UMessageText::Format(IDS_4004, {1, m_limit}), MB_ICONINFORMATION);
            return FALSE;
        }
        if (size > m_limit) {
            Prompt(UMessageText::Format(IDS_4003, {m_limit}), MB_ICONINFORMATION);
            return FALSE;
        }
    }

    if (format == FORMAT_INDEX_NTFS && size == 1) {
        if (Prompt(UMessageText::Load(IDS_6065), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return FALSE;
        ::SendMessageW(formatCombo, CB_SETCURSEL, FORMAT_INDEX_FAT, 0);
        format = FORMAT_INDEX_FAT;
    }

    CVelmoraEXSettingData& target = property.NewSetting;
    target.LoadAtStartup = IsStartupChecked() ? 1 : 0;
    target.DriveSize = sizeBytes;
    target.DriveLetter = SelectedDriveLetter();
    // The list shows letters in upper case; the same letter kept in lower case is no change
    // (a letter change re-creates the disk).
    const unsigned char oldLetter = property.OldSetting.DriveLetter;
    if (IsLetter(oldLetter) && IsLetter(target.DriveLetter) && towupper(oldLetter) == towupper(target.DriveLetter))
        target.DriveLetter = oldLetter;
    target.FormatType = format == FORMAT_INDEX_FAT ? FORMAT_TYPE_FAT_AUTO : FORMAT_TYPE_NTFS;
    target.MemType = m_memType;

    if (!sheet->IsNewDisk() &&
        (target.DriveSize != property.OldSetting.DriveSize || target.FormatType != property.OldSetting.FormatType)) {
        if (Prompt(UMessageText::Load(IDS_3105), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return FALSE;
    }
    return TRUE;
}
