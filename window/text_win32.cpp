#include "window/settings_window_win32.h"

std::wstring Wide(std::string_view text) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), narrow.data(), size,
                              nullptr, nullptr);
    return narrow;
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD size = 0;
    // A game folder can sit deeper than MAX_PATH: grow until the whole path fits.
    while ((size = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(size);
    return Narrow(path.substr(0, path.find_last_of(L"\\/")));
}

namespace {

struct ListChoice {
    int listId;
    const std::vector<std::wstring>* entries;
};

// A chooser: a list, OK and Cancel; its end result is the index picked, or -1.
INT_PTR CALLBACK ChooserProc(HWND chooser, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(chooser, DWLP_USER, lParam);
    const auto* choice =
        reinterpret_cast<const ListChoice*>(::GetWindowLongPtrW(chooser, DWLP_USER));
    if (choice == nullptr) return FALSE;
    HWND list = ::GetDlgItem(chooser, choice->listId);
    switch (message) {
    case WM_INITDIALOG:
        for (const std::wstring& entry : *choice->entries)
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK ||
            (LOWORD(wParam) == choice->listId && HIWORD(wParam) == LBN_DBLCLK)) {
            ::EndDialog(chooser, ::SendMessageW(list, LB_GETCURSEL, 0, 0));
        } else if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(chooser, -1);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR ChooseFromList(HWND owner, int dialogId, int listId,
                       const std::vector<std::wstring>& entries) {
    ListChoice choice{listId, &entries};
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), owner,
                             ChooserProc, reinterpret_cast<LPARAM>(&choice));
}
