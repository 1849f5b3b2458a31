# vortan_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One executable per tested class or subsystem, registered with CTest as one test.
function(vortan_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main
                                            vortan::compile_options)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(TARGET vortan::windows_resources)
        # Windows: test programs run with the program's code page and icons.
        target_link_libraries(${T_NAME} PRIVATE vortan::windows_resources)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
    # A loop that never ends fails its test instead of stalling the whole run.
    if(NOT T_TIMEOUT)
        if("unit" IN_LIST T_LABELS)
            set(T_TIMEOUT 30)
        else()
            set(T_TIMEOUT 120)
        endif()
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()
