# The bake tests run the real baker once per test program and read what it wrote.
target_link_libraries(test_bake PRIVATE bake PkgConfig::MPG123 JPEG::JPEG)
target_compile_definitions(test_bake PRIVATE BAKE_PROGRAM="$<TARGET_FILE:heliotropic-bake>")
add_dependencies(test_bake heliotropic-bake)
