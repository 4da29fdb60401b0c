# Installation and packaging: the viewer, the platform libraries it loads at run time, the headers a
# host includes, the translations, a CMake package (NuvViewer::nuvviewer) and a Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Every shared library under platform/ is a run-time dependency of the viewer.
set(NUV_PLATFORM_TARGETS)
get_property(nuv_platform_dirs DIRECTORY ${PROJECT_SOURCE_DIR}/platform PROPERTY SUBDIRECTORIES)
foreach(dir ${nuv_platform_dirs})
    get_property(dir_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${dir_targets})
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "SHARED_LIBRARY")
            list(APPEND NUV_PLATFORM_TARGETS ${target})
        endif()
    endforeach()
endforeach()
set(NUV_INSTALL_TARGETS nuvviewer ${NUV_PLATFORM_TARGETS})

set(NUV_INCLUDE_SUBDIR ${CMAKE_INSTALL_INCLUDEDIR}/NuvViewer)
# Before 1.0 a minor release may break the ABI, so the SONAME carries the minor version and the CMake
# version file accepts only the same major.minor (scripts/check-abi.sh holds a release to its SONAME).
if(PROJECT_VERSION_MAJOR EQUAL 0)
    set(NUV_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
    set(NUV_VERSION_COMPATIBILITY SameMinorVersion)
else()
    set(NUV_SOVERSION ${PROJECT_VERSION_MAJOR})
    set(NUV_VERSION_COMPATIBILITY SameMajorVersion)
endif()
set_target_properties(${NUV_INSTALL_TARGETS} PROPERTIES VERSION ${PROJECT_VERSION}
                      SOVERSION ${NUV_SOVERSION} INSTALL_RPATH "$ORIGIN")
foreach(target ${NUV_PLATFORM_TARGETS})
    target_include_directories(${target} INTERFACE $<INSTALL_INTERFACE:${NUV_INCLUDE_SUBDIR}>)
endforeach()

# What a host includes: the viewer, the business layer with its control surface, the image type.
# Everything else stays private (checked by tests/install/check_installed_headers.sh).
set(NUV_DOC_HEADERS ${PROJECT_SOURCE_DIR}/src/facade/NuvViewerImageWnd.h ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3.h ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3Control.h ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/GenApi.h ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/SimulatedFrame.h ${PROJECT_SOURCE_DIR}/platform/nuvdata/NuvImage.h ${PROJECT_SOURCE_DIR}/platform/nuvdata/NuvPixelFormat.h)
set(NUV_PUBLIC_HEADERS
    ${PROJECT_SOURCE_DIR}/src/facade/NuvViewerImageWnd.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3Control.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/GenApi.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/SimulatedFrame.h
    ${PROJECT_SOURCE_DIR}/platform/nuvdata/NuvImage.h
    ${PROJECT_SOURCE_DIR}/platform/nuvdata/NuvPixelFormat.h)

install(TARGETS ${NUV_INSTALL_TARGETS} EXPORT NuvViewerTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${NUV_PUBLIC_HEADERS} DESTINATION ${NUV_INCLUDE_SUBDIR} COMPONENT dev)
if(NUV_QM_FILES)
    install(FILES ${NUV_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/nuvviewer/translations COMPONENT runtime)
endif()

set(NUV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NuvViewer)
install(EXPORT NuvViewerTargets NAMESPACE NuvViewer:: DESTINATION ${NUV_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NuvViewerConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/NuvViewerConfig.cmake INSTALL_DESTINATION ${NUV_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/NuvViewerConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY ${NUV_VERSION_COMPATIBILITY})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/NuvViewerConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/NuvViewerConfigVersion.cmake
        DESTINATION ${NUV_CMAKE_DIR} COMPONENT dev)

# pkg-config file for qmake and meson hosts, relocatable: paths are relative to the file itself, so a
# staged or moved prefix works as well as /usr.
set(NUV_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
    set(NUV_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
    file(RELATIVE_PATH nuv_pc_up /${NUV_PC_DIR} /)
    string(REGEX REPLACE "/$" "" nuv_pc_up "${nuv_pc_up}")
    set(NUV_PC_PREFIX "\${pcfiledir}/${nuv_pc_up}")
endif()
foreach(dir LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
        set(NUV_PC_${dir} "${CMAKE_INSTALL_${dir}}")
    else()
        set(NUV_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
    endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/nuvviewer.pc.in ${CMAKE_CURRENT_BINARY_DIR}/nuvviewer.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/nuvviewer.pc DESTINATION ${NUV_PC_DIR} COMPONENT dev)

# Documentation and the Debian package belong to the viewer's own build, not to a host embedding it.
if(NOT NUV_TOP_LEVEL)
    return()
endif()
include(${PROJECT_SOURCE_DIR}/cmake/NuvDocs.cmake)

# Debian package: one package with the libraries, headers, CMake files and translations.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuvviewer)
set(CPACK_PACKAGE_VENDOR "NuvViewer developers")
set(CPACK_PACKAGE_CONTACT "NuvViewer developers <nuvviewer@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Image-window library for machine-vision camera viewers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt5core5a (>= 5.15), libqt5gui5 (>= 5.15), libqt5widgets5 (>= 5.15), libqt5svg5, libqt5x11extras5, libqwt-qt5-6, libopencv-core406, libopencv-imgproc406, libopencv-imgcodecs406, libopencv-videoio406, libjxr0, libgl1")
include(CPack)
