#pragma once
// Enum values paired with the language keys of the messages that name them,
// kept as data so that each message's key stands beside its value.
#include <cstddef>

namespace sorn {

template <class Enum>
struct MessageKey {
    Enum value;
    const wchar_t* key;
};

// The key paired with value, or fallback for a value the table leaves out.
template <class Enum, size_t N>
const wchar_t* messageKeyFor(const MessageKey<Enum> (&table)[N], Enum value, const wchar_t* fallback) {
    for (const MessageKey<Enum>& entry : table)
        if (entry.value == value)
            return entry.key;
    return fallback;
}

} // namespace sorn
