# Installing into a prefix (cmake --install build --prefix P) and the Debian package (cpack -G DEB):
# the program, its desktop entry, icons in the hicolor theme, AppStream metadata and the file
# names it adds to the shared MIME database.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Svg)

# The PNG icons are rendered from the scalable one at build time, so the two never drift apart.
set(VELMOA_ICON_SIZES 16 22 24 32 48 64 128 256)
add_executable(velmoa_render_icon packaging/render-icon.cpp)
target_link_libraries(velmoa_render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(velmoa_icon_pngs)
foreach(size IN LISTS VELMOA_ICON_SIZES)
  list(APPEND velmoa_icon_pngs ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/velmoa.png)
endforeach()
add_custom_command(
  OUTPUT ${velmoa_icon_pngs}
  COMMAND velmoa_render_icon ${CMAKE_SOURCE_DIR}/packaging/velmoa.svg ${CMAKE_BINARY_DIR}/icons ${VELMOA_ICON_SIZES}
  DEPENDS velmoa_render_icon ${CMAKE_SOURCE_DIR}/packaging/velmoa.svg
  COMMENT "Rendering the application icon")
add_custom_target(velmoa_icons ALL DEPENDS ${velmoa_icon_pngs})

install(TARGETS velmoa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS velmoa_print_module LIBRARY DESTINATION ${VELMOA_MODULE_DIR})
install(FILES packaging/velmoa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/velmoa.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES packaging/org.velmoa.velmoa.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/velmoa-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velmoa.xml)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmoa)
set(CPACK_PACKAGE_VENDOR "Velmoa")
set(CPACK_PACKAGE_CONTACT "Velmoa developers <velmoa@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the pictures, sounds, videos and documents of a folder")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmoa shows the files of a folder one after another, with a Japanese user interface: \
pictures (BMP, JPEG, ICO, WMF, EMF) with stepping and a timed slideshow, sound and video, \
and documents as rich text, plain text or a hex dump.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries come from dpkg-shlibdeps; what is loaded at run time by name is listed here:
# Qt's X11 platform plugin, the media libraries (opened when a media file needs them), the
# Japanese fonts the window asks for and the MIDI sound font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libmpv2, libfluidsynth3, fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-aoyagi-kouzan-t, timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)

# The tests check the packaging files against the program: its extension tables and its icon.
target_compile_definitions(velmoa_tests PRIVATE VELMOA_PACKAGING_DIR="${CMAKE_SOURCE_DIR}/packaging")
target_link_libraries(velmoa_tests PRIVATE Qt6::Svg)
add_test(NAME packaging_install_tree COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/check-package.sh ${CMAKE_BINARY_DIR} install)
add_test(NAME packaging_debian_package COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/check-package.sh ${CMAKE_BINARY_DIR} deb)
set_tests_properties(packaging_install_tree packaging_debian_package PROPERTIES TIMEOUT 120)
