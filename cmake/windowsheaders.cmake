# The show's own code (app/, engine.src/, demo/) stays code for its original platform: this test
# compiles it with mingw-w64's Windows headers (windows.h, ddraw.h, d3d.h) instead of ours, so our
# platform headers cannot drift from the real APIs' shapes unnoticed. The audio library's header
# is our own and libjpeg's are Debian's; they are copied to a folder of their own, as the folder
# they live in also holds our Windows headers or Linux's. The resource unit stays out: its
# records are the resource file's stand-in, not Windows names.
find_program(WINDOWS_CXX x86_64-w64-mingw32-g++)
set(windows_check_include ${CMAKE_BINARY_DIR}/windowsheaders/include)
configure_file(${CMAKE_SOURCE_DIR}/platform/include/bass.h ${windows_check_include}/bass.h COPYONLY)
foreach(header jpeglib.h jmorecfg.h jerror.h jconfig.h)
  find_file(JPEG_HEADER_${header} ${header} HINTS ${JPEG_INCLUDE_DIRS} REQUIRED)
  configure_file(${JPEG_HEADER_${header}} ${windows_check_include}/${header} COPYONLY)
endforeach()

if(WINDOWS_CXX)
  add_test(NAME ShowCompilesAgainstWindowsHeaders
           COMMAND ${WINDOWS_CXX} -std=c++17 -fsyntax-only -I${CMAKE_SOURCE_DIR}/app -I${CMAKE_SOURCE_DIR}/engine.src
                   -I${CMAKE_SOURCE_DIR}/demo -I${CMAKE_SOURCE_DIR}/formats -I${windows_check_include} ${SHOW_SOURCES})
else()
  add_test(NAME ShowCompilesAgainstWindowsHeaders
           COMMAND sh -c "echo 'x86_64-w64-mingw32-g++ is missing (scripts/setup.sh installs it)' >&2; exit 1")
endif()
