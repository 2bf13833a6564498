#pragma once
// Field extraction from the data part of a sentence (the text after the address): ExtractField
// takes out one field, FieldSplit finds every field in one pass by the same rules.

#include <cstdint>
#include <string_view>

// Copies field `index` (0 = the text before the first comma) of `data` into `out` (256 bytes).
// True when the field has at least one character, or when `data` is empty (then every field is
// present and empty); false leaves `out` empty. A field is cut to its first 255 characters.
bool ExtractField(const char* data, char* out, int index);

// The fields of one data string as ExtractField sees them (present or not, at most 255
// characters), so that a decoder need not rescan the string from its start for every field.
class FieldSplit {
public:
    static constexpr int kMaxFields = 20;
    static constexpr int kMaxFieldLength = 255;

    // `data` must outlive the split: the fields point into it.
    explicit FieldSplit(const char* data);

    // Whether ExtractField gives true for field i.
    bool Present(int i) const { return m_length[i] != 0 || m_everyFieldPresent; }
    // The text of field i: empty when it is absent, never holding a NUL.
    std::string_view operator[](int i) const { return std::string_view(m_start[i], m_length[i]); }
    // How many fields the text has, an empty one after a last comma included (so that a
    // trailing empty field still shows where the fields end); kMaxFields + 1 when there are
    // more than kMaxFields; 0 for an empty text.
    int Count() const { return m_count; }

private:
    // Filled by the constructor for every field number, not before: zeroing them first would
    // cost as much as the split itself.
    const char* m_start[kMaxFields];
    uint8_t m_length[kMaxFields];
    uint8_t m_count = 0;
    bool m_everyFieldPresent = false;
};
