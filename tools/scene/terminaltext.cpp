#include "terminaltext.h"

#include <cstdint>
#include <cstdio>

#include "utf8.h"

std::string TerminalText(const std::string& text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t codePoint = 0;
        const size_t sequence = Utf8Sequence(bytes + i, text.size() - i, codePoint);
        if (sequence != 0 && !IsControlCharacter(codePoint)) {
            shown.append(text, i, sequence);
            i += sequence;
            continue;
        }
        for (size_t end = i + (sequence ? sequence : 1); i < end; ++i) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", bytes[i]);
            shown += escaped;
        }
    }
    return shown;
}
