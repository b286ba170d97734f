# The settings file the build puts beside the show, as it is in the source tree.
target_compile_definitions(test_${area} PRIVATE SHIPPED_SETTINGS_FILE="${CMAKE_SOURCE_DIR}/platform/heliotropic.ini")
