# JUCE's modules are compiled inside every target that links them. These static libraries compile them
# once each; our targets link a bundle instead of the modules.
#
#   juce_core_bundle  juce_core alone: the reader library's tests, mshinfo, mshgen, the fuzzer, benchmarks
#   juce_gui_bundle   juce_core up to juce_gui_basics and juce_opengl: the viewer and its GUI tests
#   juce_core_headers juce_core's include folders and settings without its code, for libraries that
#                     either bundle may end up linked with
set(msh_juce_settings
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_CATCH_UNHANDLED_EXCEPTIONS=1
    JUCE_STANDALONE_APPLICATION=1)

add_library(juce_core_bundle STATIC)
target_link_libraries(juce_core_bundle
    PRIVATE juce::juce_core
    PUBLIC juce::juce_recommended_config_flags)
target_compile_definitions(juce_core_bundle PUBLIC ${msh_juce_settings})
target_include_directories(juce_core_bundle INTERFACE $<TARGET_PROPERTY:juce_core_bundle,INCLUDE_DIRECTORIES>)
target_compile_definitions(juce_core_bundle INTERFACE $<TARGET_PROPERTY:juce_core_bundle,COMPILE_DEFINITIONS>)
# juce_core's own system libraries (pthread, dl, rt, zlib) travel with the bundle.
target_link_libraries(juce_core_bundle INTERFACE $<TARGET_PROPERTY:juce::juce_core,INTERFACE_LINK_LIBRARIES>)

add_library(juce_core_headers INTERFACE)
target_include_directories(juce_core_headers INTERFACE $<TARGET_PROPERTY:juce_core_bundle,INCLUDE_DIRECTORIES>)
target_compile_definitions(juce_core_headers INTERFACE $<TARGET_PROPERTY:juce_core_bundle,COMPILE_DEFINITIONS>)
target_link_libraries(juce_core_headers INTERFACE juce::juce_recommended_config_flags)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/JuceForWindows.cmake)
endif()

if(MSH_GUI)
    add_library(juce_gui_bundle STATIC)
    target_link_libraries(juce_gui_bundle
        PRIVATE juce::juce_gui_basics juce::juce_opengl
        PUBLIC juce::juce_recommended_config_flags)

    if(WIN32) # JUCE's OpenGL code there takes from juce_gui_extra too
        target_link_libraries(juce_gui_bundle PRIVATE juce::juce_gui_extra)
    else()
        target_link_libraries(juce_gui_bundle PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    endif()
    target_compile_definitions(juce_gui_bundle PUBLIC ${msh_juce_settings})
    target_include_directories(juce_gui_bundle INTERFACE $<TARGET_PROPERTY:juce_gui_bundle,INCLUDE_DIRECTORIES>)
    target_compile_definitions(juce_gui_bundle INTERFACE $<TARGET_PROPERTY:juce_gui_bundle,COMPILE_DEFINITIONS>)
endif()

if(MSH_GUI)
    add_library(juce_gui_headers INTERFACE)
    target_include_directories(juce_gui_headers INTERFACE $<TARGET_PROPERTY:juce_gui_bundle,INCLUDE_DIRECTORIES>)
    target_compile_definitions(juce_gui_headers INTERFACE $<TARGET_PROPERTY:juce_gui_bundle,COMPILE_DEFINITIONS>)
    target_link_libraries(juce_gui_headers INTERFACE juce::juce_recommended_config_flags)
endif()
