# The tests run the inspector program itself.
add_dependencies(test_${area} heliotropic-scene)
