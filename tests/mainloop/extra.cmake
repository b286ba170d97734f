# One test starts the program itself, without a display.
add_dependencies(test_${area} heliotropic)
