# API documentation of what a host includes: `cmake --build <dir> --target docs` writes HTML to
# <dir>/docs/html. Warnings are errors, so a broken or missing comment fails the build of the target.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    message(STATUS "Doxygen not found: no docs target")
    return()
endif()
set(DOXYGEN_PROJECT_NAME "NuvViewer")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/docs)
set(DOXYGEN_GENERATE_HTML YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_HAVE_DOT NO)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
set(DOXYGEN_WARN_NO_PARAMDOC NO)
set(DOXYGEN_EXTRACT_ALL NO)
set(DOXYGEN_HIDE_UNDOC_CLASSES YES)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/mainpage.md)
set(DOXYGEN_EXCLUDE_SYMBOLS "ImageWndManager;ImageWnd")
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_PREDEFINED "NUV_EXPORT=;ZAVIZOZOZ3_API=;Q_OBJECT=;Q_ENUM(x)=;signals=public")
# A Qt Help file beside the HTML, for Qt Creator and Assistant (qhelpgenerator from qttools5-dev-tools).
find_program(NUV_QHELPGENERATOR qhelpgenerator HINTS /usr/lib/qt5/bin NO_DEFAULT_PATH)
find_program(NUV_QHELPGENERATOR qhelpgenerator)
if(NUV_QHELPGENERATOR)
    set(DOXYGEN_GENERATE_QHP YES)
    set(DOXYGEN_QCH_FILE ../nuvviewer.qch)  # relative to the HTML folder: docs/nuvviewer.qch
    set(DOXYGEN_QHP_NAMESPACE org.nuvviewer.${PROJECT_VERSION_MAJOR}${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH})
    set(DOXYGEN_QHP_VIRTUAL_FOLDER nuvviewer)
    set(DOXYGEN_QHG_LOCATION ${NUV_QHELPGENERATOR})
else()
    message(STATUS "qhelpgenerator not found: the API docs come without a Qt Help file")
endif()
doxygen_add_docs(docs ${PROJECT_SOURCE_DIR}/docs/mainpage.md ${NUV_DOC_HEADERS}
                 COMMENT "API documentation (Doxygen)")

# Packaged as nuvviewer-doc: the HTML under share/doc/nuvviewer, the Qt Help file where Debian's Qt 5
# documentation lives, so Qt Creator finds it with the Qt documentation. Built by the docs target,
# which packaging runs first (scripts/check-package.sh).
install(CODE "if(NOT EXISTS \"${CMAKE_BINARY_DIR}/docs/html/index.html\")
    message(WARNING \"API documentation not built, not installed: build the 'docs' target first\")
endif()" COMPONENT doc)
install(DIRECTORY ${CMAKE_BINARY_DIR}/docs/html/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nuvviewer/html COMPONENT doc
        OPTIONAL)
if(NUV_QHELPGENERATOR)
    install(FILES ${CMAKE_BINARY_DIR}/docs/nuvviewer.qch DESTINATION ${CMAKE_INSTALL_DATADIR}/qt5/doc COMPONENT doc OPTIONAL)
endif()
