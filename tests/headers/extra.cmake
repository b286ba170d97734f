# The real headers' values come from mingw-w64's, read at build time by the Windows cross-compiler.
find_program(CROSS_CXX x86_64-w64-mingw32-g++)
set(real_values_dir ${CMAKE_CURRENT_BINARY_DIR}/realheaders)
file(MAKE_DIRECTORY ${real_values_dir})
set(our_headers ${CMAKE_SOURCE_DIR}/platform/include/ddraw.h ${CMAKE_SOURCE_DIR}/platform/include/d3d.h
    ${CMAKE_SOURCE_DIR}/platform/include/windows.h)
add_custom_command(
  OUTPUT ${real_values_dir}/headernames.inc ${real_values_dir}/realvalues.txt
  COMMAND ${CMAKE_COMMAND} -DINCLUDE_DIR=${CMAKE_SOURCE_DIR}/platform/include -DOUT=${real_values_dir}
          -DCROSS_CXX=${CROSS_CXX} -P ${area_dir}/realvalues.cmake
  DEPENDS ${area_dir}/realvalues.cmake ${our_headers}
  COMMENT "Reading the real DirectDraw and Direct3D headers' values")
target_sources(test_${area} PRIVATE ${real_values_dir}/headernames.inc ${real_values_dir}/realvalues.txt)
target_include_directories(test_${area} PRIVATE ${real_values_dir})
target_compile_definitions(test_${area} PRIVATE REAL_VALUES_FILE="${real_values_dir}/realvalues.txt")
