# The software pipeline is tested from the inside as well as through its COM interface, on every
# drawing path.
target_include_directories(test_softdev PRIVATE ${CMAKE_SOURCE_DIR}/platform)
discover_on_drawing_paths(test_softdev)
