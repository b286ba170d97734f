# Screenshots of the dialog on a display are kept here for people to look at.
target_compile_definitions(test_dialog PRIVATE DIALOG_ARTEFACTS="${CMAKE_BINARY_DIR}/artefacts")
