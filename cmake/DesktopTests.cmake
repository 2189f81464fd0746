# Checks of the program on the desktop it runs on: starting without a display, printing through
# a private CUPS server, and the window under a headless Wayland compositor.
add_dependencies(velmoa_tests velmoa)
target_compile_definitions(velmoa_tests PRIVATE VELMOA_BINARY="$<TARGET_FILE:velmoa>")
