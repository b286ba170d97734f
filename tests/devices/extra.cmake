# The device table's own header, for the records the tests walk.
target_include_directories(test_${area} PRIVATE ${CMAKE_SOURCE_DIR}/platform)
