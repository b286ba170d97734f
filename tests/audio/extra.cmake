# The audio tests also reach the library's inner units (decoder, mixer) directly.
target_include_directories(test_audio PRIVATE ${CMAKE_SOURCE_DIR}/platform)
