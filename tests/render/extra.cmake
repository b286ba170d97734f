# Scenes drawn by the software device, on every drawing path.
discover_on_drawing_paths(test_render)
