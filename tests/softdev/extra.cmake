# The software pipeline is tested from the inside as well as through its COM interface.
target_include_directories(test_softdev PRIVATE ${CMAKE_SOURCE_DIR}/platform)
