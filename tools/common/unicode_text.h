// UTF-8 texts from manifests and UTF-16 names from programs, converted and
// measured as Windows holds them. By hand: iconv and std::codecvt say
// neither where a text goes wrong nor which kind of fault it is, and a
// refusal must name both.
#pragma once

#include <cstddef>
#include <string>

// The text's UTF-16 form, or (with `problem` saying what and `*at` the byte
// where) nothing: a byte that begins no sequence, a sequence cut short or
// too long for its code point, a surrogate or a code point past U+10FFFF.
std::u16string utf16FromUtf8(const std::string& text, std::string* problem = nullptr, size_t* at = nullptr);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(const std::u16string& text);

// The text's length in UTF-16 units, the measure of every buffer the
// program holds it in (a character past U+FFFF takes two).
size_t utf16Length(const std::string& utf8);

// The name in upper case as Windows compares file and resource names:
// each unit of the Basic Multilingual Plane by Unicode's simple upper-case
// mapping to a single unit ("квант.exe" is "КВАНТ.EXE", "ß" stays), a
// surrogate pair as it is.
std::u16string windowsUpperCase(const std::u16string& name);

// How many columns a terminal gives the text: most characters one, the
// wide ones of East Asian scripts and emoji two, combining marks none.
size_t displayWidth(const std::string& utf8);
