# Lists the names our ddraw.h and d3d.h define (constants, records, interface identifiers) and
# reads what the real headers (mingw-w64's) give for the same names, compiled by the Windows
# cross-compiler. Run at build time:
#   cmake -DINCLUDE_DIR=... -DOUT=... -DCROSS_CXX=... -P realvalues.cmake
# Writes OUT/headernames.inc (X-macro lists for the test) and OUT/realvalues.txt (one
# "CONSTANT|SIZE|GUID name numbers..." line per name, or "ERROR text" lines when the real headers
# could not be read).

cmake_minimum_required(VERSION 3.25)

set(constants "")
set(records "")
set(identifiers "")
foreach(header ddraw.h d3d.h windows.h)
  file(STRINGS ${INCLUDE_DIR}/${header} lines)
  foreach(line IN LISTS lines)
    set(name "")
    if(header STREQUAL "windows.h")
      # Only the result codes of windows.h: the DirectDraw ones are built from them.
      if(line MATCHES "^#define ([SE]_[A-Z0-9_]+)[ \t]")
        set(name ${CMAKE_MATCH_1})
      endif()
    elseif(line MATCHES "^#define ([A-Z][A-Z0-9_]*)[ \t]")
      set(name ${CMAKE_MATCH_1})
    elseif(line MATCHES "^[ \t]+([A-Z][A-Z0-9_]*)[ \t]*=")
      set(name ${CMAKE_MATCH_1})
    elseif(line MATCHES "^}[ \t]*([A-Z][A-Z0-9_]*)[,;]")
      list(APPEND records ${CMAKE_MATCH_1})
    elseif(line MATCHES "^extern const GUID ([A-Za-z0-9_]+);")
      list(APPEND identifiers ${CMAKE_MATCH_1})
    endif()
    if(name)
      list(APPEND constants ${name})
    endif()
  endforeach()
endforeach()

set(names "// Generated from platform/include by tests/headers/realvalues.cmake.\n")
foreach(name IN LISTS constants)
  string(APPEND names "HEADER_CONSTANT(${name})\n")
endforeach()
foreach(name IN LISTS records)
  string(APPEND names "HEADER_RECORD(${name})\n")
endforeach()
foreach(name IN LISTS identifiers)
  string(APPEND names "HEADER_IDENTIFIER(${name})\n")
endforeach()
file(WRITE ${OUT}/headernames.inc.new "${names}")
# Unchanged lists keep the test from being rebuilt.
file(COPY_FILE ${OUT}/headernames.inc.new ${OUT}/headernames.inc ONLY_IF_DIFFERENT)

# Each value reaches the assembly as an immediate operand, so the cross-compiler works out
# enumerations and expressions exactly as a Windows program sees them.
file(WRITE ${OUT}/realvalues.cpp [=[
#include <windows.h>
#undef DEFINE_GUID
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)                               \
    void Dump_##name() {                                                                          \
        asm volatile("#GUID " #name " %c0 %c1 %c2 %c3 %c4 %c5 %c6 %c7 %c8 %c9 %c10" ::"n"(l), "n"(w1), \
                     "n"(w2), "n"(b1), "n"(b2), "n"(b3), "n"(b4), "n"(b5), "n"(b6), "n"(b7), "n"(b8));  \
    }
#include <ddraw.h>
#include <d3d.h>
#define HEADER_CONSTANT(name) asm volatile("#CONSTANT " #name " %c0" ::"n"((unsigned)(name)));
#define HEADER_RECORD(name) asm volatile("#SIZE " #name " %c0" ::"n"(sizeof(name)));
#define HEADER_IDENTIFIER(name)
void DumpValues() {
#include "headernames.inc"
}
]=])

set(report "")
if(NOT CROSS_CXX OR NOT EXISTS "${CROSS_CXX}")
  set(report "ERROR x86_64-w64-mingw32-g++ is missing: scripts/setup.sh installs g++-mingw-w64-x86-64\n")
else()
  execute_process(COMMAND ${CROSS_CXX} -S -I${OUT} -o ${OUT}/realvalues.s ${OUT}/realvalues.cpp
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    string(REGEX MATCHALL "[^\n]*error:[^\n]*" messages "${errors}")
    foreach(message IN LISTS messages)
      string(APPEND report "ERROR ${message}\n")
    endforeach()
    if(NOT report)
      set(report "ERROR ${errors}\n")
    endif()
  else()
    file(STRINGS ${OUT}/realvalues.s dumped REGEX "#(CONSTANT|SIZE|GUID) ")
    foreach(line IN LISTS dumped)
      string(REGEX REPLACE "^.*#" "" line "${line}")
      string(APPEND report "${line}\n")
    endforeach()
  endif()
endif()
file(WRITE ${OUT}/realvalues.txt "${report}")
