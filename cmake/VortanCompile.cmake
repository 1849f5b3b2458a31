# Warning and sanitizer flags shared by every target of the project.
add_library(vortan_compile_options INTERFACE)
add_library(vortan::compile_options ALIAS vortan_compile_options)
target_compile_options(vortan_compile_options INTERFACE -Wall -Wextra -Wpedantic)
if(VORTAN_WERROR)
    target_compile_options(vortan_compile_options INTERFACE -Werror)
endif()
if(VORTAN_SANITIZE)
    target_compile_options(vortan_compile_options INTERFACE
        -fsanitize=${VORTAN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(vortan_compile_options INTERFACE -fsanitize=${VORTAN_SANITIZE})
endif()
