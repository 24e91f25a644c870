// ASCII letter case, as Windows compares resource names and the decoder
// compares the stream's magic: only 'a'..'z' have an upper case here, and
// every other byte or UTF-16 unit (any beyond ASCII among them) is its own.
#pragma once

template <typename Char>
constexpr Char asciiUpper(Char c)
{
    return (c >= 'a' && c <= 'z') ? Char(c - 'a' + 'A') : c;
}
