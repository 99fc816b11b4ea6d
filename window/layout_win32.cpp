// Where each control goes, for the window's size and scaling: the window opens within its
// monitor's work area, Save and the status line always show, and on a short screen each pair's
// row shrinks to one line, its comments, warnings and verdict then read in the details pane.
// Sizes are in dialog units of the window's font, so they follow the scaling.
#include "window/control_ids.h"
#include "window/window_state_win32.h"

#include <algorithm>
#include <vector>

namespace {

struct Units {
    int x = 6, y = 13; // the font's average width and its height, in pixels
    int X(int dialogUnits) const { return ::MulDiv(dialogUnits, x, 4); }
    int Y(int dialogUnits) const { return ::MulDiv(dialogUnits, y, 8); }
};

Units UnitsOf(const SettingsWindow& window) {
    HDC dc = ::GetDC(window.dialog);
    const HGDIOBJ before = ::SelectObject(dc, window.font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    ::SelectObject(dc, before);
    ::ReleaseDC(window.dialog, dc);
    return {std::max(1, int((size.cx / 26 + 1) / 2)), std::max(1, int(metrics.tmHeight))};
}

// The width of a control's text in the window's font, its Alt letter's mark left out.
int TextWidth(const SettingsWindow& window, int id) {
    std::wstring text = Wide(TextOf(Control(window.dialog, id)));
    std::erase(text, L'&');
    HDC dc = ::GetDC(window.dialog);
    const HGDIOBJ before = ::SelectObject(dc, window.font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    ::SelectObject(dc, before);
    ::ReleaseDC(window.dialog, dc);
    return size.cx;
}

constexpr int kButtons[] = {
    IDOK,        kReloadButton, kOpenButton, kWriteDefaultButton, kDefaultsButton,
    kScanButton, kAboutButton,  IDCANCEL};

// Places the controls for a client area `width` wide and `height` high, when `apply`; either
// way, the least height at which every control fits so.
struct Placer {
    const SettingsWindow& window;
    Units u;
    bool apply;
    HDWP moves = nullptr;

    void Put(int id, int x, int y, int cx, int cy) {
        if (apply && moves != nullptr)
            moves =
                ::DeferWindowPos(moves, Control(window.dialog, id), nullptr, x, y, std::max(cx, 1),
                                 std::max(cy, 1), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void Show(int id, bool shown) {
        if (apply) ::ShowWindow(Control(window.dialog, id), shown ? SW_SHOWNA : SW_HIDE);
    }

    int Place(int width, int height, RowDensity density) {
        const bool dense = density == RowDensity::kOneLine;
        if (apply) moves = ::BeginDeferWindowPos(64);
        const int margin = u.X(7), gap = u.X(4), right = width - margin;
        int nameWidth = TextWidth(window, kKeyNameControl);
        for (size_t pair = 0; pair < kPairCount; ++pair)
            nameWidth = std::max(nameWidth, TextWidth(window, kRowNameControl + int(pair)));
        const int withWidth = TextWidth(window, kWithControl) + u.X(2);
        const int left = margin + nameWidth + gap;
        const int boxWidth = std::max(u.X(40), (right - left - withWidth - 2 * gap) / 2);
        const int newLeft = left + boxWidth + gap + withWidth + gap;
        const int list = u.Y(160); // a drop-down's height is that of its open list
        int y = u.Y(7);
        Put(kFileControl, margin, y, right - margin, u.Y(8));
        y += u.Y(12);
        for (size_t pair = 0; pair < kPairCount; ++pair) {
            const SwapPair& row = SwapPairs[pair];
            const int comments[] = {kCommentControl + int(row.oldSetting.key),
                                    kCommentControl + int(row.newSetting.key)};
            Put(kRowNameControl + int(pair), margin, y + u.Y(2), nameWidth, u.Y(8));
            Put(kSettingControl + int(row.oldSetting.key), left, y, boxWidth, list);
            Put(kWithControl + int(pair), left + boxWidth + gap, y + u.Y(2), withWidth, u.Y(8));
            Put(kSettingControl + int(row.newSetting.key), newLeft, y, right - newLeft, list);
            y += u.Y(14);
            for (const int id : comments)
                Show(id, density == RowDensity::kWhole);
            for (const int id : {kFindingsControl + int(pair), kVerdictControl + int(pair)})
                Show(id, !dense);
            if (dense) {
                y += u.Y(3);
                continue;
            }
            if (density == RowDensity::kWhole) {
                Put(comments[0], left, y, boxWidth, u.Y(16));
                Put(comments[1], newLeft, y, right - newLeft, u.Y(16));
                y += u.Y(17);
            }
            // What the toggle key does with the pair, then the pair's warnings, if any: two
            // lines with the comments, one without them.
            const int findings = density == RowDensity::kWhole ? 16 : 8;
            Put(kVerdictControl + int(pair), left, y, right - left, u.Y(8));
            Put(kFindingsControl + int(pair), left, y + u.Y(8), right - left, u.Y(findings));
            y += u.Y(8 + findings + 3);
        }
        Put(kKeyNameControl, margin, y + u.Y(2), nameWidth, u.Y(8));
        Put(kSettingControl + int(kActivationKey), left, y, u.X(50), u.Y(200));
        const int keyNote = left + u.X(54);
        Put(kFindingsControl + int(kKeyRow), keyNote, y + u.Y(2), right - keyNote,
            u.Y(dense ? 8 : 16));
        y += u.Y(dense ? 15 : 20);
        Put(kFindingsControl + int(kGeneralRow), margin, y, right - margin, u.Y(dense ? 16 : 24));
        y += u.Y(dense ? 18 : 26);
        // The status line sits above the pane, which its messages point down to.
        Put(kStatusControl, margin, y, right - margin, u.Y(16));
        y += u.Y(18);
        Put(kDetailsNameControl, margin, y, right - margin, u.Y(8));
        y += u.Y(10);
        const int paneTop = y;

        // The buttons in lines as many as the width needs, from the bottom up.
        std::vector<std::vector<std::pair<int, int>>> lines(1);
        int lineWidth = 0;
        for (const int id : kButtons) {
            // Its own style: the dialog itself is not yet shown while it is first laid out.
            if (!(::GetWindowLongW(Control(window.dialog, id), GWL_STYLE) & WS_VISIBLE)) continue;
            const int buttonWidth = std::max(u.X(46), TextWidth(window, id) + u.X(12));
            if (!lines.back().empty() && lineWidth + buttonWidth > right - margin) {
                lines.emplace_back();
                lineWidth = 0;
            }
            lines.back().emplace_back(id, buttonWidth);
            lineWidth += buttonWidth + gap;
        }
        const int buttonHeight = u.Y(14), lineHeight = buttonHeight + u.Y(4);
        const int buttonsTop = height - u.Y(7) - int(lines.size()) * lineHeight + u.Y(4);
        for (size_t line = 0; line < lines.size(); ++line) {
            int x = margin;
            for (const auto& [id, buttonWidth] : lines[line]) {
                Put(id, x, buttonsTop + int(line) * lineHeight, buttonWidth, buttonHeight);
                x += buttonWidth + gap;
            }
        }
        Put(kDetailsControl, margin, paneTop, right - margin, buttonsTop - u.Y(4) - paneTop);
        if (apply && moves != nullptr) ::EndDeferWindowPos(moves);
        return paneTop + u.Y(dense ? 24 : 40) + u.Y(4) + int(lines.size()) * lineHeight + u.Y(3);
    }
};

RECT WorkArea(HWND dialog) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// How much larger the frame is than the client area.
SIZE FrameExtra(HWND dialog) {
    RECT frame{}, client{};
    ::GetWindowRect(dialog, &frame);
    ::GetClientRect(dialog, &client);
    return {(frame.right - frame.left) - client.right, (frame.bottom - frame.top) - client.bottom};
}

UINT DpiOf(HWND dialog) {
    using GetDpi = UINT(WINAPI*)(HWND);
    const auto get = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (get != nullptr && get(dialog) != 0) return get(dialog);
    HDC dc = ::GetDC(dialog);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(dialog, dc);
    return UINT(dpi > 0 ? dpi : 96);
}

} // namespace

void LayOut(SettingsWindow& window) {
    if (window.font == nullptr) return;
    RECT client{};
    ::GetClientRect(window.dialog, &client);
    Placer measure{window, UnitsOf(window), false};
    // The richest rows that fit; on the shortest screens, one line a pair.
    window.density = RowDensity::kOneLine;
    for (const RowDensity density : {RowDensity::kWhole, RowDensity::kNoComments}) {
        if (client.bottom >= measure.Place(client.right, client.bottom, density)) {
            window.density = density;
            break;
        }
    }
    Placer{window, measure.u, true}.Place(client.right, client.bottom, window.density);
    RefitTexts(window);
    ::InvalidateRect(window.dialog, nullptr, TRUE);
}

namespace {

// Where Windows would rescale a dialog and its controls itself on a change of scaling, it is
// told not to: FollowDpi does it, for the rows made in code too, and lays them out anew.
void TakeOverDpiChanges(HWND dialog) {
    HMODULE user = ::GetModuleHandleW(L"user32.dll");
    using ForDialog = BOOL(WINAPI*)(HWND, int, int);
    using ForControl = BOOL(WINAPI*)(HWND, int, int);
    const auto dialogBehaviour = reinterpret_cast<ForDialog>(
        reinterpret_cast<void*>(::GetProcAddress(user, "SetDialogDpiChangeBehavior")));
    const auto controlBehaviour = reinterpret_cast<ForControl>(
        reinterpret_cast<void*>(::GetProcAddress(user, "SetDialogControlDpiChangeBehavior")));
    constexpr int kDisableAll = 1, kNoFontUpdateNorRelayout = 3;
    if (dialogBehaviour != nullptr) dialogBehaviour(dialog, kDisableAll, kDisableAll);
    if (controlBehaviour == nullptr) return;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        controlBehaviour(child, kNoFontUpdateNorRelayout, kNoFontUpdateNorRelayout);
}

} // namespace

void FirstLayout(SettingsWindow& window) {
    TakeOverDpiChanges(window.dialog);
    window.font = reinterpret_cast<HFONT>(::SendMessageW(window.dialog, WM_GETFONT, 0, 0));
    window.dpi = DpiOf(window.dialog);
    Placer measure{window, UnitsOf(window), false};
    const int width = measure.u.X(460);
    const int height = measure.Place(width, 0, RowDensity::kWhole) + measure.u.Y(30);
    const RECT work = WorkArea(window.dialog);
    const SIZE extra = FrameExtra(window.dialog);
    const int frameWidth = std::min<int>(width + extra.cx, work.right - work.left);
    const int frameHeight = std::min<int>(height + extra.cy, work.bottom - work.top);
    ::SetWindowPos(window.dialog, nullptr, work.left + (work.right - work.left - frameWidth) / 2,
                   work.top + (work.bottom - work.top - frameHeight) / 2, frameWidth, frameHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut(window);
}

// Moved to a monitor of another scaling: the font follows, then the places.
void FollowDpi(SettingsWindow& window, UINT dpi, const RECT& suggested) {
    if (window.font == nullptr || dpi == 0 || dpi == window.dpi) return;
    LOGFONTW font{};
    ::GetObjectW(window.font, sizeof font, &font);
    font.lfHeight = ::MulDiv(font.lfHeight, int(dpi), int(window.dpi));
    HFONT scaled = ::CreateFontIndirectW(&font);
    for (HWND child = ::GetWindow(window.dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), FALSE);
    if (window.ownFont != nullptr) ::DeleteObject(window.ownFont);
    window.font = window.ownFont = scaled;
    window.dpi = dpi;
    ::SetWindowPos(window.dialog, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut(window);
}

void KeepMinimumSize(const SettingsWindow& window, MINMAXINFO& limits) {
    if (window.font == nullptr) return;
    RECT client{};
    ::GetClientRect(window.dialog, &client);
    Placer measure{window, UnitsOf(window), false};
    const RECT work = WorkArea(window.dialog);
    const SIZE extra = FrameExtra(window.dialog);
    limits.ptMinTrackSize.x = std::min<LONG>(measure.u.X(300) + extra.cx, work.right - work.left);
    limits.ptMinTrackSize.y = std::min<LONG>(
        measure.Place(std::max<int>(client.right, measure.u.X(300)), 0, RowDensity::kOneLine) +
            extra.cy,
        work.bottom - work.top);
}
