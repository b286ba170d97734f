target_include_directories(test_${area} PRIVATE ${CMAKE_SOURCE_DIR}/platform/ddraw)
