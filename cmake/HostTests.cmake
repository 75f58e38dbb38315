# Unit tests of the core on the build machine, with the sanitizers on.
enable_testing()
find_package(GTest REQUIRED)

# -O1, as the sanitizers advise: unoptimised, the tests that stream hundreds
# of MiB through the configuration reader take minutes instead of seconds.
set(UPDSTART_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1)
target_compile_options(updstart_core PRIVATE ${UPDSTART_SANITIZERS})

file(GLOB UPDSTART_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UPDSTART_UNIT_TESTS})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(unit_tests PRIVATE ${UPDSTART_WARNINGS} ${UPDSTART_SANITIZERS})
target_link_options(unit_tests PRIVATE ${UPDSTART_SANITIZERS})
target_link_libraries(unit_tests PRIVATE updstart_core GTest::gtest GTest::gtest_main)

include(GoogleTest)
gtest_discover_tests(unit_tests)
