# The software pipeline is tested from the inside as well as through its COM interface, on every
# drawing path.
discover_on_drawing_paths(test_softdev)
