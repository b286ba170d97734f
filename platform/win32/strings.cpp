// Strings and debugger output.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

// wsprintfA writes at most 1024 characters, as Windows does; the show only formats short lines.
int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int written = vsnprintf(buffer, 1025, format, arguments);
    va_end(arguments);
    if (written > 1024) written = 1024;
    return written < 0 ? 0 : written;
}

LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int maxCount) {
    if (maxCount <= 0) return destination;
    int i = 0;
    for (; i < maxCount - 1 && source[i] != '\0'; ++i) destination[i] = source[i];
    destination[i] = '\0';
    return destination;
}

// There is no debugger to listen on Linux: the trace goes to stderr, unbuffered, as it is written.
void OutputDebugStringA(LPCSTR text) {
    fputs(text, stderr);
}
