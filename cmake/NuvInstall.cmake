# Installation: the viewer library (the platform libraries are static and hidden inside it), the
# headers a host includes as <NuvViewer/...>, the business layer's headers as the optional
# <NuvViewer/sim/...>, the translations, a CMake package (NuvViewer::nuvviewer) and a pkg-config file.
# Components: runtime (the library, translations), dev (headers, CMake and pkg-config files, the
# link), app (the application, installed by demo/) and doc (cmake/NuvDocs.cmake).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

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
set_target_properties(nuvviewer PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${NUV_SOVERSION})

# What every host includes: the viewer class and its export macro, free of OpenCV and GenApi.
set(NUV_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/src/facade/NuvViewerImageWnd.h ${PROJECT_SOURCE_DIR}/src/facade/NuvExport.h)
# What a host that drives the in-process business layer (simulated and GenICam cameras) includes as
# well: the component Simulator. These headers declare the namespaces GenApi and GenICam, so they
# live in their own folder, away from a host's real GenICam stack.
set(NUV_SIM_HEADERS
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3Control.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/ZavizoZoz3Export.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/GenApi.h
    ${PROJECT_SOURCE_DIR}/platform/zavizozoz3/SimulatedFrame.h
    ${PROJECT_SOURCE_DIR}/platform/nuvdata/NuvPixelFormat.h)
set(NUV_DOC_HEADERS ${NUV_PUBLIC_HEADERS} ${NUV_SIM_HEADERS})

# A shared library is not a program: no executable bit (Debian's policy).
install(TARGETS nuvviewer EXPORT NuvViewerTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${NUV_PUBLIC_HEADERS} DESTINATION ${NUV_INCLUDE_SUBDIR} COMPONENT dev)
install(FILES ${NUV_SIM_HEADERS} DESTINATION ${NUV_INCLUDE_SUBDIR}/sim COMPONENT dev)
if(NUV_QM_FILES)
    install(FILES ${NUV_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/nuvviewer/translations COMPONENT runtime)
endif()

set(NUV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NuvViewer)
install(EXPORT NuvViewerTargets NAMESPACE NuvViewer:: DESTINATION ${NUV_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NuvViewerConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/NuvViewerConfig.cmake INSTALL_DESTINATION ${NUV_CMAKE_DIR}
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_DATADIR)
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

# Documentation belongs to the viewer's own build, not to a host embedding it.
if(NUV_TOP_LEVEL)
    include(${PROJECT_SOURCE_DIR}/cmake/NuvDocs.cmake)
endif()
