target_link_libraries(test_capture PRIVATE capture)
# The tests show the setup dialog: the program's resources go with them.
target_link_libraries(test_${area} PRIVATE showresources)
