# Shared warning and sanitizer flags for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(NUV_WERROR)
    add_compile_options(-Werror)
endif()
if(NUV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
# Qt's own debug assertions stay on in RelWithDebInfo so tests see misuse.
add_compile_definitions(QT_DEPRECATED_WARNINGS QT_NO_FOREACH)
