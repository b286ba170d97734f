# The start-up tests add a device with small texture limits to the device table.
target_include_directories(test_${area} PRIVATE ${CMAKE_SOURCE_DIR}/platform/ddraw)
# Screenshots of the program on a display are kept here for people to look at.
target_compile_definitions(test_${area} PRIVATE STARTUP_ARTEFACTS="${CMAKE_BINARY_DIR}/artefacts")
# The tests show the setup dialog: the program's resources go with them.
target_link_libraries(test_${area} PRIVATE showresources)
