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
