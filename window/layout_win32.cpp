// The settings window follows its frame: the rows widen with it, their two sides sharing the
// new width, and the details pane takes the new height, so a longer text needs no scrolling.
#include "settings/swap_pairs.h"
#include "window/control_ids.h"
#include "window/settings_window_win32.h"

#include <algorithm>
#include <vector>

namespace {

struct Placed {
    HWND control;
    RECT rect; // in the dialog's client area, as the dialog first laid it out
    enum { kStays, kMovesDown, kGrowsDown } vertical;
    enum { kKeepsWidth, kLeftHalf, kRightHalf, kWholeWidth } horizontal;
};

std::vector<Placed> placed;
SIZE firstClient{};
SIZE firstFrame{};

BOOL CALLBACK Remember(HWND control, LPARAM lParam) {
    const HWND dialog = reinterpret_cast<HWND>(lParam);
    if (::GetParent(control) != dialog) return TRUE; // a drop-down's own edit
    Placed place{control, {}, Placed::kStays, Placed::kWholeWidth};
    ::GetWindowRect(control, &place.rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place.rect), 2);
    wchar_t kind[32] = L"";
    ::GetClassNameW(control, kind, int(std::size(kind)));
    const bool combo = ::lstrcmpiW(kind, L"ComboBox") == 0;
    const bool button = ::lstrcmpiW(kind, L"Button") == 0 &&
                        (::GetWindowLongW(control, GWL_STYLE) & BS_GROUPBOX) != BS_GROUPBOX;
    // A drop-down's height is that of its open list.
    if (combo) {
        RECT dropped{};
        ::SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        place.rect.bottom = place.rect.top + (dropped.bottom - dropped.top);
    }
    RECT details{};
    ::GetWindowRect(::GetDlgItem(dialog, kDetailsControl), &details);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&details), 2);
    const int id = ::GetDlgCtrlID(control);
    if (id == kDetailsControl) {
        place.vertical = Placed::kGrowsDown;
    } else if (place.rect.top >= details.bottom) {
        place.vertical = Placed::kMovesDown;
    }
    const LONG half = firstClient.cx / 2;
    if (button || id == kSettingControl + int(kActivationKey)) {
        place.horizontal = Placed::kKeepsWidth;
    } else if (place.rect.right <= half + 2) {
        place.horizontal = Placed::kLeftHalf;
    } else if (place.rect.left >= half - 2) {
        place.horizontal = Placed::kRightHalf;
    }
    placed.push_back(place);
    return TRUE;
}

} // namespace

void RememberLayout(HWND dialog) {
    RECT client{}, frame{};
    ::GetClientRect(dialog, &client);
    ::GetWindowRect(dialog, &frame);
    firstClient = {client.right, client.bottom};
    firstFrame = {frame.right - frame.left, frame.bottom - frame.top};
    placed.clear();
    ::EnumChildWindows(dialog, Remember, reinterpret_cast<LPARAM>(dialog));
}

void FollowSize(HWND dialog) {
    if (placed.empty()) return;
    RECT client{};
    ::GetClientRect(dialog, &client);
    const LONG dx = std::max<LONG>(0, client.right - firstClient.cx);
    const LONG dy = std::max<LONG>(0, client.bottom - firstClient.cy);
    HDWP moves = ::BeginDeferWindowPos(int(placed.size()));
    for (const Placed& place : placed) {
        RECT r = place.rect;
        if (place.vertical == Placed::kMovesDown) ::OffsetRect(&r, 0, dy);
        if (place.vertical == Placed::kGrowsDown) r.bottom += dy;
        switch (place.horizontal) {
        case Placed::kKeepsWidth:
            break;
        case Placed::kLeftHalf:
            r.right += dx / 2;
            break;
        case Placed::kRightHalf:
            r.left += dx / 2;
            r.right += dx;
            break;
        case Placed::kWholeWidth:
            r.right += dx;
            break;
        }
        if (moves != nullptr)
            moves = ::DeferWindowPos(moves, place.control, nullptr, r.left, r.top, r.right - r.left,
                                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves != nullptr) ::EndDeferWindowPos(moves);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

void KeepMinimumSize(MINMAXINFO& limits) {
    if (firstFrame.cx == 0) return;
    limits.ptMinTrackSize = {firstFrame.cx, firstFrame.cy};
}
