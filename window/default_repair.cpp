#include "window/default_repair.h"

#include "inspect/bytes_text.h"
#include "inspect/checker.h"
#include "inspect/edit_setting.h"
#include "settings/default_settings.h"

#include <array>
#include <optional>

namespace {

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += char(c);
    } else if (c < 0x800) {
        text += char(0xC0 | (c >> 6));
        text += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += char(0xE0 | (c >> 12));
        text += char(0x80 | ((c >> 6) & 0x3F));
        text += char(0x80 | (c & 0x3F));
    } else {
        text += char(0xF0 | (c >> 18));
        text += char(0x80 | ((c >> 12) & 0x3F));
        text += char(0x80 | ((c >> 6) & 0x3F));
        text += char(0x80 | (c & 0x3F));
    }
}

// UTF-16 after its byte-order mark; a lone surrogate becomes U+FFFD, an odd last byte is
// dropped.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](size_t at) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
    };
    std::string text;
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
            unit(at + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(text, c);
    }
    return text;
}

bool IsBlank(std::string_view bytes) {
    return bytes.find_first_not_of(" \t\r\n\v\f\x1A") == std::string_view::npos;
}

// Why the plug-in reads nothing from `bytes`, after "it is".
std::string WhyUseless(std::string_view bytes) {
    if (IsBlank(bytes)) return "empty";
    if (bytes.starts_with(kUtf8ByteOrderMark))
        return "saved as UTF-8 with a byte-order mark, which the plug-in reads as part of the "
               "first line";
    return "saved as UTF-16 (what some editors call \"Unicode\")";
}

std::string YourChoices(size_t count) {
    return count == 1 ? "your choice for " : "your choices for ";
}

// "the camera's replacement ("Camera16") and the toggle key ("F9")".
std::string ChoicesOf(const std::vector<SettingKey>& keys, const SettingsDocument& document) {
    std::string text;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) text += i + 1 == keys.size() ? " and " : ", ";
        text += SettingLabel(keys[i]) + " (" + Quoted(document.parsed.values[keys[i]]) + ")";
    }
    return text;
}

std::string KeptAndLost(const CarriedChoices& carried, const SettingsDocument& old) {
    std::string text;
    if (!carried.kept.empty())
        text += " The new file keeps " + YourChoices(carried.kept.size()) +
                ChoicesOf(carried.kept, carried.document) + ".";
    if (!carried.lost.empty())
        text += " It cannot hold " + YourChoices(carried.lost.size()) +
                ChoicesOf(carried.lost, old) +
                ", which the plug-in could not use with its dictionary: the default stays there.";
    return text;
}

} // namespace

std::string DecodedSettingsText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16(bytes, false);
    if (bytes.starts_with("\xFE\xFF")) return FromUtf16(bytes, true);
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    return std::string(bytes);
}

CarriedChoices CarryChoices(std::string_view oldBytes) {
    const SettingsDocument old = ReadDocument(DecodedSettingsText(oldBytes));
    const SettingsDocument defaults = ReadDocument(DefaultSettingsText("\r\n"));
    std::array<std::optional<std::string>, kSettingKeyCount> values;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (old.settingLines[key] != 0 && old.parsed.values[key] != defaults.parsed.values[key])
            values[key] = old.parsed.values[key];
    }
    SettingsEdit edit = EditSettings(defaults, values);
    CarriedChoices carried;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (values[key])
            (edit.refusals[key] ? carried.lost : carried.kept).push_back(SettingKey(key));
    }
    carried.document = std::move(edit.document);
    return carried;
}

std::string ReplaceAdvice(const SettingsForm& form) {
    const std::string_view bytes = form.opened.bytes;
    const CarriedChoices carried = CarryChoices(bytes);
    std::string text = "The plug-in reads nothing from this file: it is " + WhyUseless(bytes) +
                       ", so it swaps nothing and the toggle key is " + FallbackKeyName() +
                       ". \"Replace with the default file\" puts the plug-in's default file in "
                       "its place";
    if (!carried.kept.empty())
        text += " with " + YourChoices(carried.kept.size()) + SettingsListed(carried.kept);
    return text + ", and keeps this one beside it as a .bak copy.";
}

std::string ReplaceQuestion(const SettingsForm& form) {
    const std::string_view bytes = form.opened.bytes;
    const CarriedChoices carried = CarryChoices(bytes);
    return "Replace " + form.path + " with the plug-in's default file?\n\nThe plug-in reads " +
           "nothing from it: it is " + WhyUseless(bytes) + "." +
           KeptAndLost(carried, ReadDocument(DecodedSettingsText(bytes))) +
           "\n\nThe file as it is now is kept beside it as a .bak copy.";
}

std::string ReplacedText(const CarriedChoices& carried, const std::string& backup) {
    std::string text = "Wrote the default file";
    if (!carried.kept.empty())
        text += " with " + YourChoices(carried.kept.size()) + SettingsListed(carried.kept);
    if (!carried.lost.empty())
        text += "; it cannot hold " + YourChoices(carried.lost.size()) +
                SettingsListed(carried.lost) + ", which keep their default";
    return text + "; the old file is kept as " + backup + ".";
}
