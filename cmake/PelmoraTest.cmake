# pelmora_add_test(<name> SOURCES <files...> LIBS <targets...> LABELS <labels...>
#                  [GUI] [TIMEOUT <seconds>])
# One test executable, registered with CTest under its name. GUI tests link
# Qt Test and run on the offscreen platform; everything else uses GoogleTest.
function(pelmora_add_test name)
    cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} pelmora_test_support)
    if(T_GUI)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    else()
        find_package(GTest REQUIRED)
        target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()

# The tests' own helpers (temporary folders, pseudo-terminals, engine state
# resets) are included as "tests/...".
add_library(pelmora_test_support INTERFACE)
pelmora_expose(pelmora_test_support tests)
