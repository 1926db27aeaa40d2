# Helpers for the test, fuzz and benchmark folders.
find_package(GTest REQUIRED)

# Runtime options shared by every test: stop at the first sanitizer finding, with a stack trace,
# and ignore the allocations that fontconfig and pango keep for the life of the process.
set(FC_TEST_ENVIRONMENT
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "FC_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# fc_add_gtest(<name> SOURCES ... LIBS ...): one test executable, run by ctest as one test.
function(fc_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE FC_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # GoogleTest's assertions are made to stand safely under an if without braces (each ends in an
    # else of its own); GCC reports a dangling else for every such use all the same.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${name} PRIVATE -Wno-dangling-else)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${FC_TEST_ENVIRONMENT}" TIMEOUT 600)
endfunction()
