# What the Windows build changes in JUCE: its juce_graphics compiled from a copy whose PNG and JPEG loaders
# are replaced by ones that decode nothing (see NoImageLoaders.cpp), and zlib from Debian's MinGW zlib.
set(msh_graphics_source "${JUCE_MODULES_DIR}/juce_graphics/juce_graphics.cpp")
file(READ "${msh_graphics_source}" msh_graphics_text)
string(REPLACE "#include \"image_formats/juce_JPEGLoader.cpp\"" "" msh_graphics_text "${msh_graphics_text}")
string(REPLACE "#include \"image_formats/juce_PNGLoader.cpp\""
               "#include \"${CMAKE_CURRENT_LIST_DIR}/NoImageLoaders.cpp\"" msh_graphics_text "${msh_graphics_text}")
set(msh_graphics_copy "${CMAKE_BINARY_DIR}/juce_overlay/juce_graphics.cpp")
file(WRITE "${msh_graphics_copy}" "${msh_graphics_text}")

get_target_property(msh_graphics_sources juce_graphics INTERFACE_SOURCES)
list(TRANSFORM msh_graphics_sources REPLACE ".*/juce_graphics\\.cpp$" "${msh_graphics_copy}")
set_property(TARGET juce_graphics PROPERTY INTERFACE_SOURCES ${msh_graphics_sources})
# The copy's own includes ("colour/juce_Colour.cpp", ...) are found beside the original.
target_include_directories(juce_graphics INTERFACE "${JUCE_MODULES_DIR}/juce_graphics")
# JUCE's own #warning that its DirectWrite code is not built with MinGW: known, and its GDI fonts serve.
set_source_files_properties("${msh_graphics_copy}" PROPERTIES COMPILE_OPTIONS -Wno-cpp)

# A program's icon and version, as Windows shows them, and the manifest it starts the program with.
function(msh_windows_version_info target description)
    set(MSH_RC_NAME "${target}")
    set(MSH_RC_FILE "${target}.exe")
    set(MSH_RC_DESCRIPTION "${description}")
    set(MSH_MANIFEST "${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest")
    configure_file("${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in" "${CMAKE_BINARY_DIR}/rc/${target}.rc" @ONLY)
    target_sources(${target} PRIVATE "${CMAKE_BINARY_DIR}/rc/${target}.rc")
    # windres reads the icon and manifest, which CMake's scan of the .rc does not see
    set_source_files_properties("${CMAKE_BINARY_DIR}/rc/${target}.rc" PROPERTIES OBJECT_DEPENDS "${MSH_ICON_ICO};${MSH_MANIFEST}")
    add_dependencies(${target} icons)
endfunction()

# tinygltf and stb's PNG writer, compiled here from Debian's headers; the headers are copied into the build
# tree, as /usr/include on the cross compiler's path would bring glibc's headers with it.
set(msh_host_headers "${CMAKE_BINARY_DIR}/host-headers")
file(COPY /usr/include/tiny_gltf.h /usr/include/nlohmann /usr/include/stb DESTINATION "${msh_host_headers}")
add_library(msh_tinygltf STATIC "${CMAKE_CURRENT_LIST_DIR}/TinyGltf.cpp")
target_include_directories(msh_tinygltf SYSTEM PUBLIC "${msh_host_headers}")
target_compile_definitions(msh_tinygltf PUBLIC TINYGLTF_NO_STB_IMAGE TINYGLTF_NO_STB_IMAGE_WRITE)
add_library(TinyGLTF::TinyGLTF ALIAS msh_tinygltf)
add_library(msh_stb STATIC "${CMAKE_CURRENT_LIST_DIR}/StbImageWrite.cpp")
target_include_directories(msh_stb SYSTEM PUBLIC "${msh_host_headers}")
set(MSH_STB_LIBRARY msh_stb)
