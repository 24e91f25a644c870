#include "names.h"

#include <cstdint>
#include <cstring>

#include "ascii_case.h"
#include "unicode_text.h"

std::string printableName(const std::string& name)
{
    std::string shown;
    for (size_t at = 0, length; at < name.size(); at += length) {
        // Names hold UTF-8; a byte that begins no whole sequence stands for
        // itself.
        unsigned char lead = static_cast<unsigned char>(name[at]);
        length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (at + length > name.size()) length = 1;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; k++) code = code << 6 | (static_cast<unsigned char>(name[at + k]) & 0x3F);
        bool hidden = code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x61C || code == 0x200E || code == 0x200F ||
                      (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
        shown += hidden ? std::string("?") : name.substr(at, length);
    }
    return shown;
}

std::string upperCaseName(const std::string& name)
{
    std::string problem;
    std::u16string wide = utf16FromUtf8(name, &problem);
    if (problem.empty()) return utf8FromUtf16(windowsUpperCase(wide));
    // Not UTF-8: ASCII letters alone have a case.
    std::string upper = name;
    for (char& c : upper) c = asciiUpper(c);
    return upper;
}

namespace {

bool isDeviceName(const std::string& name)
{
    std::string base = upperCaseName(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    bool numbered = base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
                    base[3] <= '9';
    return numbered || base == "CON" || base == "PRN" || base == "AUX" || base == "NUL";
}

}  // namespace

std::string windowsFileNameFault(const std::string& name)
{
    if (name.empty()) return "it is empty";
    if (name == "." || name == "..") return "\"" + name + "\" names a folder";
    size_t character = 0;
    for (unsigned char c : name) {
        if ((c & 0xC0) != 0x80) character++;  // characters, not bytes: the place a person counts
        if (c < 32) return "a control character at character " + std::to_string(character);
        if (strchr("\\/:*?\"<>|", c)) return "\"" + std::string(1, char(c)) + "\" at character " + std::to_string(character);
    }
    if (name.back() == '.' || name.back() == ' ') return "it ends in a dot or a space";
    if (isDeviceName(name)) return "it is a device's name";
    return "";
}

bool staysInItsFolder(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find_first_of("/\\:") != std::string::npos) return false;
    return printableName(name) == name;
}

