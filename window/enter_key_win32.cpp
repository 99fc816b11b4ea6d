// Enter in a pair's drop-down takes a name before it presses any button: the name typed when
// it is one the list offers, else the one the list highlights, else the only one it has left.
// The drop-down's own edit box hears Enter first, so this works whether Save can be pressed.
#include "window/control_ids.h"
#include "window/window_state_win32.h"

#include <commctrl.h>

namespace {

std::wstring EntryOf(HWND combo, LRESULT index) {
    std::wstring entry(size_t(::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0)) + 1, L'\0');
    entry.resize(size_t(::SendMessageW(combo, CB_GETLBTEXT, WPARAM(index),
                                       reinterpret_cast<LPARAM>(entry.data()))));
    return entry;
}

// The name Enter would take in drop-down `key`, or "" when Enter is Save's.
std::string NameToTake(const SettingsWindow& window, size_t key) {
    HWND combo = Control(window.dialog, kSettingControl + int(key));
    const std::wstring typed = Wide(TextOf(combo));
    const bool dropped = ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const LRESULT exact = ::SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1),
                                         reinterpret_cast<LPARAM>(typed.c_str()));
    const LRESULT highlighted = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    std::wstring name;
    if (exact != CB_ERR && EntryOf(combo, exact) == typed) {
        name = typed;
    } else if (dropped && highlighted != CB_ERR) {
        name = EntryOf(combo, highlighted);
    } else {
        return NameForEnter(window.form, SettingKey(key), Narrow(typed));
    }
    // A name already chosen and shown leaves Enter to Save, unless the list is open.
    if (!dropped && Narrow(name) == window.form.chosen[key] &&
        Wide(window.form.chosen[key]) == typed)
        return "";
    return Narrow(name);
}

void Take(SettingsWindow& window, size_t key, const std::string& name) {
    HWND combo = Control(window.dialog, kSettingControl + int(key));
    window.form.chosen[key] = name;
    window.filling = true;
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    window.filling = false;
    OfferNames(window, key, "", false);
    ShowConsequences(window);
    ::SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

LRESULT CALLBACK EditBox(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR key,
                         DWORD_PTR data) {
    auto& window = *reinterpret_cast<SettingsWindow*>(data);
    const bool enter = wParam == VK_RETURN;
    if (message == WM_GETDLGCODE && lParam != 0 && enter &&
        reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
        !NameToTake(window, key).empty())
        return ::DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
    if (message == WM_KEYDOWN && enter) {
        const std::string name = NameToTake(window, key);
        if (!name.empty()) {
            Take(window, key, name);
            return 0;
        }
    }
    if (message == WM_CHAR && wParam == L'\r') return 0; // no beep for an Enter taken above
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(edit, EditBox, key);
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

void TakeEnterInDropDowns(SettingsWindow& window) {
    for (size_t key = 0; key < kActivationKey; ++key) {
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (::GetComboBoxInfo(Control(window.dialog, kSettingControl + int(key)), &parts))
            ::SetWindowSubclass(parts.hwndItem, EditBox, key, reinterpret_cast<DWORD_PTR>(&window));
    }
}
