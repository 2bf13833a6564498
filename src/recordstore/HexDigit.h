#pragma once
// One hex digit's value, for the escapes in the texts the records read (settings keys and
// values, store addresses).

// -1 when c is not a hex digit.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
