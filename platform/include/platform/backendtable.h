// Picking one record out of a table of records of one kind (displays, dialog runners, audio
// outputs). A table lists pointers to records and ends with a null pointer.
#pragma once

#include <cstring>

namespace platform {

// The record with this name, or null.
template <typename Record>
const Record* FindRecord(const Record* const* table, const char* name) {
    if (name == nullptr) return nullptr;
    for (const Record* const* record = table; *record != nullptr; ++record)
        if (std::strcmp((*record)->name, name) == 0) return *record;
    return nullptr;
}

// The first record whose availability test passes; the first of all when none does, so that
// its own opening can say what is missing.
template <typename Record>
const Record* FirstAvailable(const Record* const* table) {
    for (const Record* const* record = table; *record != nullptr; ++record)
        if ((*record)->available()) return *record;
    return table[0];
}

}  // namespace platform
