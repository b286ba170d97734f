// Text from files is bytes: where it is well-formed UTF-8 it can be shown as it stands, and
// everything else has to be escaped by whoever writes it out.
#pragma once

#include <cstddef>
#include <cstdint>

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of the bytes, with its code
// point; 0 when they do not start with one: a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a code point past U+10FFFF.
size_t Utf8Sequence(const unsigned char* bytes, size_t available, uint32_t& codePoint);

// Code points that move a terminal rather than print: C0 controls, DEL and C1 controls.
inline bool IsControlCharacter(uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}
