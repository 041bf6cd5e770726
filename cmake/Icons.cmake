# The icon at the sizes desktops and Windows pick from, drawn from packaging/tolmar-msh-viewer.svg at build
# time: PNGs for the hicolor theme, and on Windows one .ico holding them all for the programs' resources.
# Each written under a part name, then renamed, so a failed run leaves no half icon a later build would trust.
find_program(MSH_RSVG_CONVERT rsvg-convert REQUIRED)
set(MSH_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/tolmar-msh-viewer.svg)
set(MSH_ICON_SIZES 16 24 32 48 64 128 256)
set(MSH_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
file(MAKE_DIRECTORY ${MSH_ICON_DIR})

set(MSH_ICON_PNGS)
foreach(size ${MSH_ICON_SIZES})
    set(png ${MSH_ICON_DIR}/tolmar-msh-viewer-${size}.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${MSH_RSVG_CONVERT} --width=${size} --height=${size} --format=png --output=${png}.part ${MSH_ICON_SVG}
                       COMMAND ${CMAKE_COMMAND} -E rename ${png}.part ${png}
                       DEPENDS ${MSH_ICON_SVG})
    list(APPEND MSH_ICON_PNGS ${png})
endforeach()

if(WIN32)
    # 256 px kept as PNG inside the .ico, as Windows Vista and later read it; the smaller ones as bitmaps.
    find_program(MSH_ICOTOOL icotool REQUIRED)
    set(MSH_ICON_ICO ${MSH_ICON_DIR}/tolmar-msh-viewer.ico)
    set(msh_small_pngs ${MSH_ICON_PNGS})
    list(FILTER msh_small_pngs EXCLUDE REGEX "-256\\.png$")
    add_custom_command(OUTPUT ${MSH_ICON_ICO}
                       COMMAND ${MSH_ICOTOOL} --create --output=${MSH_ICON_ICO}.part ${msh_small_pngs} --raw=${MSH_ICON_DIR}/tolmar-msh-viewer-256.png
                       COMMAND ${CMAKE_COMMAND} -E rename ${MSH_ICON_ICO}.part ${MSH_ICON_ICO}
                       DEPENDS ${MSH_ICON_PNGS})
    add_custom_target(icons ALL DEPENDS ${MSH_ICON_ICO})
else()
    add_custom_target(icons ALL DEPENDS ${MSH_ICON_PNGS})
    include(GNUInstallDirs)
    foreach(size ${MSH_ICON_SIZES})
        install(FILES ${MSH_ICON_DIR}/tolmar-msh-viewer-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tolmar-msh-viewer.png)
    endforeach()
endif()
