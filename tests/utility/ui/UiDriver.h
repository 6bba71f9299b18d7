#pragma once
// Drives real windows from a test under Wine: pumps messages, waits for conditions, and runs
// scripted steps from a thread timer, so that the steps go on inside the nested modal loops
// of dialogs and property sheets.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace uidriver {

inline void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Pumps until condition holds; false after timeoutMs.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Pump(20);
    }
    return true;
}

struct TitleSearch {
    const std::wstring* title;
    HWND found;
};

inline BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    if (*search->title != text) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of this process with exactly this title; null when none.
inline HWND FindOwnWindow(const std::wstring& title) {
    TitleSearch search{&title, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ControlSearch {
    int id;
    HWND found;
};

inline BOOL CALLBACK MatchPage(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (!GetDlgItem(child, search->id) || !IsWindowVisible(child)) return TRUE;
    search->found = child;
    return FALSE;
}

// The page dialog of a property sheet holding a control with this id (pages are children of
// the sheet); null when none.
inline HWND FindPageWith(HWND sheet, int controlId) {
    ControlSearch search{controlId, nullptr};
    EnumChildWindows(sheet, MatchPage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline BOOL CALLBACK CountTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<const std::wstring*, int>*>(param);
    TitleSearch one{search->first, nullptr};
    MatchTitle(hwnd, reinterpret_cast<LPARAM>(&one));
    if (one.found) ++search->second;
    return TRUE;
}

// How many visible top-level windows of this process have exactly this title.
inline int CountOwnWindows(const std::wstring& title) {
    std::pair<const std::wstring*, int> search(&title, 0);
    EnumWindows(CountTitle, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Clicks a button as a user would: BN_CLICKED is posted, so a modal loop the click opens runs
// after the caller has returned.
inline void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// Steps run one after another from a 50 ms thread timer: each waits until its condition holds,
// then acts once. A step whose condition does not hold within timeoutMs fails the script and
// its failure action runs (to close what is open, so that the test does not hang).
class Script {
public:
    struct Step {
        std::wstring name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script() { Stop(); }

    void Add(const std::wstring& name, std::function<bool()> ready, std::function<void()> act) {
        m_steps.push_back({name, std::move(ready), std::move(act)});
    }
    // Starts the timer; onFailure runs once when a step times out.
    void Start(DWORD stepTimeoutMs, std::function<void()> onFailure) {
        m_timeout = stepTimeoutMs;
        m_onFailure = std::move(onFailure);
        m_stepStart = GetTickCount();
        Current() = this;
        m_timer = SetTimer(nullptr, 0, 50, &Script::Tick);
    }
    void Stop() {
        if (m_timer) KillTimer(nullptr, m_timer);
        m_timer = 0;
        if (Current() == this) Current() = nullptr;
    }
    bool Done() const { return m_next == m_steps.size(); }
    bool Failed() const { return m_failed; }
    // The step that timed out, or the one that was waiting when the script ended.
    std::wstring Pending() const { return m_next < m_steps.size() ? m_steps[m_next].name : L""; }

private:
    static Script*& Current() {
        static Script* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* script = Current();
        if (script) script->Advance();
    }
    void Advance() {
        if (m_running || m_failed || Done()) return;
        m_running = true;  // actions post what opens modal loops, so they return at once
        Step& step = m_steps[m_next];
        if (step.ready()) {
            ++m_next;
            m_stepStart = GetTickCount();
            step.act();
        } else if (GetTickCount() - m_stepStart > m_timeout) {
            m_failed = true;
            if (m_onFailure) m_onFailure();
        }
        m_running = false;
        if (Done() || m_failed) Stop();
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_timeout = 10000;
    DWORD m_stepStart = 0;
    UINT_PTR m_timer = 0;
    bool m_failed = false;
    bool m_running = false;
    std::function<void()> m_onFailure;
};

// Calls a function every 50 ms from a thread timer while it lives (also inside modal loops).
class Ticker {
public:
    explicit Ticker(std::function<void()> tick) : m_tick(std::move(tick)) {
        Current() = this;
        m_timer = SetTimer(nullptr, 0, 50, &Ticker::Tick);
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;
    ~Ticker() {
        KillTimer(nullptr, m_timer);
        if (Current() == this) Current() = nullptr;
    }

private:
    static Ticker*& Current() {
        static Ticker* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (Current()) Current()->m_tick();
    }
    std::function<void()> m_tick;
    UINT_PTR m_timer = 0;
};

// The texts of a report list's row (all columns asked for).
inline std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

inline int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

inline void ListSelect(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace uidriver
