// The rows of the settings window, made from the pairs' table when the window opens: a pair
// added to the table has its row, its Alt letters and its controls' ids with no edit here.
#include "window/control_ids.h"
#include "window/window_state_win32.h"

#include <cctype>
#include <set>

static_assert(kSettingControl + kSettingKeyCount <= kCommentControl &&
                  kFindingsControl + kGeneralRow < kVerdictControl &&
                  kVerdictControl + kPairCount <= kStatusControl &&
                  kRowNameControl + kPairCount <= kWithControl,
              "the control ids of window/control_ids.h overlap for this many pairs");

namespace {

// The letters Alt already reaches in the dialog: a control's text marks its letter with "&".
std::set<char> TakenLetters(HWND dialog) {
    std::set<char> taken;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = TextOf(child);
        const size_t mark = text.find('&');
        if (mark != std::string::npos && mark + 1 < text.size())
            taken.insert(char(std::tolower(static_cast<unsigned char>(text[mark + 1]))));
    }
    return taken;
}

// `text` with "&" before its first letter that is not taken, preferring one outside `spare`
// (letters better left for other labels); the text unmarked when every letter is taken.
std::string WithAltLetter(const std::string& text, std::set<char>& taken,
                          std::string_view spare = {}) {
    for (const bool useSpare : {false, true}) {
        for (size_t i = 0; i < text.size(); ++i) {
            const char letter = char(std::tolower(static_cast<unsigned char>(text[i])));
            if (!std::isalpha(static_cast<unsigned char>(letter)) || taken.count(letter) ||
                (!useSpare && spare.find(letter) != std::string_view::npos))
                continue;
            taken.insert(letter);
            return text.substr(0, i) + "&" + text.substr(i);
        }
    }
    return text;
}

struct Maker {
    HWND dialog;
    HFONT font;
    HWND after; // the control the next one follows in the tab order

    void Make(const wchar_t* kind, std::string_view text, int id, DWORD style) {
        HWND control = ::CreateWindowExW(0, kind, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                         0, 0, 10, 10, dialog, reinterpret_cast<HMENU>(INT_PTR(id)),
                                         ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
    }
    void Label(std::string_view text, int id, DWORD style = 0) {
        Make(L"STATIC", text, id, SS_LEFT | style);
    }
};

constexpr DWORD kNameBox = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;

} // namespace

void MakeRows(SettingsWindow& window) {
    Maker make{window.dialog, window.font, Control(window.dialog, kFileControl)};
    std::set<char> taken = TakenLetters(window.dialog);
    // Each row's name takes a letter of its own first, so the "with" labels keep theirs.
    constexpr std::string_view kWith = "with";
    std::array<std::string, kPairCount> names;
    for (size_t pair = 0; pair < kPairCount; ++pair)
        names[pair] = WithAltLetter(RowLabel(pair), taken, kWith);
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const SwapPair& row = SwapPairs[pair];
        make.Label(names[pair], kRowNameControl + int(pair));
        make.Make(L"COMBOBOX", "", kSettingControl + int(row.oldSetting.key), kNameBox);
        make.Label(WithAltLetter(std::string(kWith), taken), kWithControl + int(pair));
        make.Make(L"COMBOBOX", "", kSettingControl + int(row.newSetting.key), kNameBox);
        make.Label("", kCommentControl + int(row.oldSetting.key), SS_NOPREFIX);
        make.Label("", kCommentControl + int(row.newSetting.key), SS_NOPREFIX);
        make.Label("", kFindingsControl + int(pair), SS_NOPREFIX);
        make.Label("", kVerdictControl + int(pair), SS_NOPREFIX);
    }
    make.Label(WithAltLetter(RowLabel(kKeyRow), taken), kKeyNameControl);
    make.Make(L"COMBOBOX", "", kSettingControl + int(kActivationKey),
              CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
    make.Label("", kFindingsControl + int(kKeyRow), SS_NOPREFIX);
    make.Label("", kFindingsControl + int(kGeneralRow), SS_NOPREFIX);
}
