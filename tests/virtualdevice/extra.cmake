# The render chain with the software device, on every drawing path.
discover_on_drawing_paths(test_virtualdevice)
