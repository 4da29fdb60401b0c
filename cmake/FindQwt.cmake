# Debian ships Qwt 6 for Qt 5 without a CMake package: locate header and library directly.
find_path(QWT_INCLUDE_DIR qwt_plot.h PATHS /usr/include/qwt /usr/include/qwt-qt5 /usr/include/qt5/qwt
          /usr/include/x86_64-linux-gnu/qt5/qwt REQUIRED)
find_library(QWT_LIBRARY NAMES qwt-qt5 qwt REQUIRED)
if(NOT TARGET Qwt::Qwt)
    add_library(Qwt::Qwt UNKNOWN IMPORTED)
    set_target_properties(Qwt::Qwt PROPERTIES IMPORTED_LOCATION "${QWT_LIBRARY}"
                          INTERFACE_INCLUDE_DIRECTORIES "${QWT_INCLUDE_DIR}"
                          INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${QWT_INCLUDE_DIR}"
                          INTERFACE_LINK_LIBRARIES "Qt5::Widgets;Qt5::Svg")
endif()
message(STATUS "Qwt: ${QWT_LIBRARY} (${QWT_INCLUDE_DIR})")
