# What every device must do, asked again of the software device on every drawing path.
discover_on_drawing_paths(test_devices "*/RGBEmulation")
