#pragma once
// What a one-line field keeps of a change the operator makes to it (typing, a paste, a drop,
// a text put in by the program). A field holds one line: the device takes every line break as
// the end of a command, so a text with line breaks would show as one line and go out as
// several. A pasted text that is too long or holds characters the field does not take is
// cut to what fits instead of being refused whole.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct TypedTextRule {
    std::size_t maxLength = 0; // characters the field takes from the operator
    bool digitsOnly = false;   // only 0 to 9 (everything else of a paste is dropped)
};

struct TypedTextResult {
    std::u16string text;
    std::size_t caret = 0;
};

// The part of text that one line of a field keeps: the whole text when it holds no line break,
// else its first line that holds more than blanks and tabs (a copied line often comes with a
// line break before or after it), else nothing.
std::u16string_view FirstLine(std::u16string_view text);

// True for the characters that end a line in the texts a field may be given.
bool IsLineBreak(char16_t c);

// before: the field's text before the change; after: the text the change would leave, with the
// caret after what was put in. Text the change left alone (also text longer than the limit, or
// with non-digits, that the device put in) is kept; of the inserted text only its first line
// stays, only digits in a digits-only field, and no more than fits the limit. Returns nothing
// when the change inserted text of which nothing may stay (the change is refused whole, as a
// key the field does not take is).
std::optional<TypedTextResult> LimitTypedChange(std::u16string_view before,
                                                std::u16string_view after, std::size_t caret,
                                                TypedTextRule rule);
