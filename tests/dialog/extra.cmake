# Screenshots of the dialog on a display are kept here for people to look at.
target_compile_definitions(test_dialog PRIVATE DIALOG_ARTEFACTS="${CMAKE_BINARY_DIR}/artefacts")
# The tests show the setup dialog: the program's resources go with them.
target_link_libraries(test_${area} PRIVATE showresources)
# The dialog tests look at the GTK dialog itself.
target_link_libraries(test_dialog PRIVATE PkgConfig::GTK3)
