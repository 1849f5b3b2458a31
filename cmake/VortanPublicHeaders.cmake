# Every public header compiles on its own with include/ and the standard library only: a
# plug-in or a client built outside this tree sees nothing else. One generated translation
# unit per header, which includes it twice (a missing include guard fails too); building
# vortan_public_headers, part of every build, is the test.
file(GLOB_RECURSE VORTAN_PUBLIC_HEADERS CONFIGURE_DEPENDS
     RELATIVE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/include/vortan/*.h)
if(WIN32)
    # The D-Bus client; on Windows clients speak COM.
    list(REMOVE_ITEM VORTAN_PUBLIC_HEADERS vortan/AutomationClient.h)
endif()
set(VORTAN_PUBLIC_HEADER_UNITS)
foreach(header IN LISTS VORTAN_PUBLIC_HEADERS)
    string(MAKE_C_IDENTIFIER ${header} unit)
    set(unit ${CMAKE_BINARY_DIR}/public-headers/${unit}.cpp)
    # Rewritten only when it changes, so a configure run rebuilds nothing.
    file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"@header@\"\n#include \"@header@\"\n" @ONLY)
    list(APPEND VORTAN_PUBLIC_HEADER_UNITS ${unit})
endforeach()

add_library(vortan_public_headers OBJECT ${VORTAN_PUBLIC_HEADER_UNITS})
# Not src/, and no library: nothing but the headers themselves.
target_include_directories(vortan_public_headers PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(vortan_public_headers PRIVATE vortan::compile_options)
