// Labels too long for their place: cut after the last whole word that fits, with "…" after
// it, so a cut never passes for the whole text; the details pane holds every word.
#include "window/window_state_win32.h"

namespace {

constexpr UINT kStaticText = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;

// The first `length` characters of `whole`, back to the end of a word, with the mark.
std::wstring Cut(const std::wstring& whole, size_t length) {
    std::wstring cut = whole.substr(0, length);
    if (length < whole.size() && whole[length] != L' ') {
        const size_t space = cut.find_last_of(L" \n");
        if (space != std::wstring::npos) cut.resize(space);
    }
    while (!cut.empty() && std::wstring_view(L" \n,;:").find(cut.back()) != std::wstring::npos)
        cut.pop_back();
    return cut + L"\u2026";
}

void Fit(HWND control, const std::wstring& whole) {
    RECT box{};
    ::GetClientRect(control, &box);
    std::wstring shown = whole;
    HDC dc = ::GetDC(control);
    const HGDIOBJ before =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    const auto fits = [&](const std::wstring& text) {
        RECT needed{0, 0, box.right, 0};
        ::DrawTextW(dc, text.c_str(), int(text.size()), &needed, DT_CALCRECT | kStaticText);
        return needed.bottom <= box.bottom && needed.right <= box.right;
    };
    if (box.right > 0 && box.bottom > 0 && !fits(whole)) {
        size_t low = 0, high = whole.size();
        while (low < high) {
            const size_t middle = (low + high + 1) / 2;
            if (fits(Cut(whole, middle))) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        shown = Cut(whole, low);
    }
    ::SelectObject(dc, before);
    ::ReleaseDC(control, dc);
    ::SetWindowTextW(control, shown.c_str());
}

} // namespace

void ShowFitted(SettingsWindow& window, int id, std::string_view text) {
    std::wstring& whole = window.wholeTexts[id];
    whole = Wide(text);
    Fit(Control(window.dialog, id), whole);
}

void RefitTexts(SettingsWindow& window) {
    for (const auto& [id, whole] : window.wholeTexts)
        Fit(Control(window.dialog, id), whole);
}
