#include "unicode_text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wchar.h>

std::u16string utf16FromUtf8(const std::string& text, std::string* problem, size_t* at)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                                        : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
        const char* fault = length == 0 ? "a byte that begins no UTF-8 sequence" : nullptr;
        if (!fault && i + length > text.size()) fault = "a UTF-8 sequence cut short";
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; !fault && k < length; k++) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) fault = "a UTF-8 sequence cut short";
            code = code << 6 | (next & 0x3F);
        }
        // The shortest form only: a longer one would hide a character from
        // every check that looks for it.
        static const char32_t leastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!fault && code < leastOfLength[length]) fault = "an overlong UTF-8 sequence";
        if (!fault && code >= 0xD800 && code < 0xE000) fault = "a surrogate, which is half a character";
        if (!fault && code > 0x10FFFF) fault = "a code point past U+10FFFF";
        if (fault) {
            if (problem) *problem = fault;
            if (at) *at = i;
            return {};
        }
        if (code < 0x10000) {
            out += char16_t(code);
        } else {
            out += char16_t(0xD800 + ((code - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        i += length;
    }
    if (problem) problem->clear();
    return out;
}

std::string utf8FromUtf16(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        char32_t code = text[i];
        bool high = code >= 0xD800 && code < 0xDC00;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | code >> 6);
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | code >> 12);
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | code >> 18);
            out += char(0x80 | (code >> 12 & 0x3F));
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

size_t utf16Length(const std::string& utf8)
{
    size_t length = 0;
    // Every byte but a continuation begins a unit; a four-byte lead, two.
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) length += byte >= 0xF0 ? 2 : 1;
    }
    return length;
}

namespace {

// The C library's Unicode tables, whatever locale the tool runs in.
locale_t unicodeLocale()
{
    static locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return unicode;
}

}  // namespace

size_t displayWidth(const std::string& utf8)
{
    std::u16string units = utf16FromUtf8(utf8);
    if (units.empty() || !unicodeLocale()) return utf8.size();  // not UTF-8: a column a byte
    locale_t previous = uselocale(unicodeLocale());
    size_t width = 0;
    for (size_t i = 0; i < units.size(); i++) {
        wchar_t code = units[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size())
            code = wchar_t(0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00));
        int columns = wcwidth(code);
        width += columns > 0 ? size_t(columns) : 0;
    }
    uselocale(previous);
    return width;
}

std::u16string windowsUpperCase(const std::u16string& name)
{
    locale_t unicode = unicodeLocale();
    std::u16string upper = name;
    for (char16_t& unit : upper) {
        if (unit < 0x80) {
            if (unit >= 'a' && unit <= 'z') unit = char16_t(unit - 'a' + 'A');
        } else if ((unit < 0xD800 || unit >= 0xE000) && unicode) {
            wint_t mapped = towupper_l(wint_t(unit), unicode);
            // Windows maps a unit to a unit: "ſ" is not "S", nor "ı" "I".
            if (mapped >= 0x80 && mapped < 0x10000 && (mapped < 0xD800 || mapped >= 0xE000)) unit = char16_t(mapped);
        }
    }
    return upper;
}
