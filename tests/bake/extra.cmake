# The bake tests run the real baker once per test program and read what it wrote.
target_link_libraries(test_bake PRIVATE bake PkgConfig::MPG123 JPEG::JPEG)
target_compile_definitions(test_bake PRIVATE BAKE_PROGRAM="$<TARGET_FILE:heliotropic-bake>")
add_dependencies(test_bake heliotropic-bake)
# The build has already baked into the programs' folder: read that bake instead of making a new
# one in every test process (only the determinism test bakes a second time).
if(HELIOTROPIC_BAKE)
  add_dependencies(test_bake bake-data)
  target_compile_definitions(test_bake PRIVATE BAKED_DATA_FOLDER="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endif()
