# A Debian package of what `cmake --install` installs: `cpack -G DEB` in the build folder, checked by
# lintian (tests/app/deb-package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolmar-msh-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tolmar MSH Viewer developers <developers@tolmar.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and converter for a game's .msh mesh files")
set(CPACK_PACKAGE_DESCRIPTION "Tolmar MSH Viewer draws the objects of the binary .msh mesh files of a game,
turns, moves and zooms them with the mouse and lists the object hierarchy
with each object's flags. It reads half-written, cut and hostile files
without crashing.

mshinfo reports what files hold, mshconvert turns them into glTF or OBJ
for editors such as Blender and back, and mshrender draws them into
pictures, also as file managers' thumbnails.")

# What Debian asks of every package: its licence and its changelog, compressed as Debian compresses it.
execute_process(COMMAND date -R -d "${MSH_RELEASE_DATE} 12:00:00 UTC" OUTPUT_VARIABLE MSH_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
                   COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.gz.part
                   COMMAND ${CMAKE_COMMAND} -E rename ${PROJECT_BINARY_DIR}/debian/changelog.gz.part ${PROJECT_BINARY_DIR}/debian/changelog.gz
                   DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
