# The golden frames live in the sources; frames that do not match are written beside the build.
add_dependencies(test_golden heliotropic-capture)
if(TARGET bake-data)
  add_dependencies(test_golden bake-data)
endif()
target_compile_definitions(test_golden PRIVATE
  GOLDEN_FRAMES_FOLDER="${CMAKE_CURRENT_SOURCE_DIR}/golden/frames"
  GOLDEN_MISMATCH_FOLDER="${CMAKE_BINARY_DIR}/golden-mismatch")
