# Debian packages, split as a packager would: `cpack -G DEB` in the build folder writes
#   libnuvviewer<SOVERSION>  the shared library and its translations (component runtime); named after
#                            the SONAME (libnuvviewer.so.0.1 gives libnuvviewer0.1), as Debian's policy asks
#   libnuvviewer-dev         headers, CMake and pkg-config files, the .so link (component dev)
#   nuvviewer                the application with its menu entry (component app, installed by demo/)
#   nuvviewer-doc            the API documentation, HTML and Qt Help (component doc; build `docs` first)
# Run-time dependencies are computed by dpkg-shlibdeps (dpkg-dev), so a build with Aravis depends on it.
if(NOT NUV_TOP_LEVEL)
    return()
endif()

get_cmake_property(nuv_components COMPONENTS)
set(CPACK_COMPONENTS_ALL)
foreach(component runtime dev app doc)
    if(component IN_LIST nuv_components)
        list(APPEND CPACK_COMPONENTS_ALL ${component})
    endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME nuvviewer)
set(CPACK_PACKAGE_VENDOR "NuvViewer developers")
set(CPACK_PACKAGE_CONTACT "NuvViewer developers <nuvviewer@nuvviewer.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps meets the application's link to the library built here, not yet installed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://nuvviewer.org")

set(NUV_DEB_RUNTIME libnuvviewer${NUV_SOVERSION})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${NUV_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The icons are drawn by Qt's SVG icon engine, a plugin no linker dependency names.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libqt5svg5 (>= 5.15)")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# The loader cache is refreshed by a trigger, as Debian asks of a library package.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Image-window library for machine-vision camera viewers
NuvViewer is a Qt 5 widget a camera application embeds: a grid of up to four panes
showing the live output of area-scan cameras and laser profilers, with 2D, profile,
range-image and 3D views, measurement tools and saving.

This package contains the shared library and its translations.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libnuvviewer-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qtbase5-dev (>= 5.15)")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DESCRIPTION "Image-window library for machine-vision camera viewers - development files
NuvViewer is a Qt 5 widget a camera application embeds: a grid of up to four panes
showing the live output of area-scan cameras and laser profilers.

This package contains the headers, the CMake package (find_package(NuvViewer)) and
the pkg-config file (nuvviewer) needed to build a host against the library.")

set(CPACK_DEBIAN_APP_PACKAGE_NAME nuvviewer)
set(CPACK_DEBIAN_APP_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_APP_DEPENDS runtime)
set(CPACK_COMPONENT_APP_DESCRIPTION "Viewer for machine-vision cameras and laser profilers
A desktop application showing the live output of area-scan cameras and laser
profilers in a grid of panes, with simulated cameras to try it without hardware.")

set(CPACK_DEBIAN_DOC_PACKAGE_NAME nuvviewer-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DOC_DESCRIPTION "Image-window library for machine-vision camera viewers - API documentation
The API reference of the NuvViewer library in HTML, and as a Qt Help file that
Qt Creator and Qt Assistant show beside the Qt documentation.")

# Every package carries the machine-readable copyright file and a Debian changelog.
execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%aD OUTPUT_VARIABLE NUV_DEB_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT NUV_DEB_DATE)
    string(TIMESTAMP NUV_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
set(NUV_DEB_SOURCE nuvviewer)
set(NUV_DEB_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
# Compressed without a name or time stamp (gzip -n), as lintian asks.
execute_process(COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog.Debian RESULT_VARIABLE nuv_gzip)
if(NOT nuv_gzip EQUAL 0)
    message(FATAL_ERROR "gzip failed on the Debian changelog")
endif()
foreach(component ${CPACK_COMPONENTS_ALL})
    string(TOUPPER ${component} upper)
    set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
include(CPack)
