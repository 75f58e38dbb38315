# Unit tests of the core on the build machine, with the sanitizers on; with
# MSVC too when asked for (-DUPDSTART_FETCH_GTEST=ON, as the Windows workflow
# does), without the sanitizers and with GoogleTest fetched by CMake.
enable_testing()
option(UPDSTART_FETCH_GTEST "Fetch GoogleTest instead of using the installed one" OFF)
if(UPDSTART_FETCH_GTEST)
  include(FetchContent)
  # The static C runtime, as the core is built with (cmake/WindowsProgram.cmake).
  set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreaded)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  FetchContent_Declare(googletest
    URL https://github.com/google/googletest/releases/download/v1.15.2/googletest-1.15.2.tar.gz
    URL_HASH SHA256=7b42b4d6ed48810c5362c265a17faebe90dc2373c885e5216439d37927f02926)
  FetchContent_MakeAvailable(googletest)
else()
  find_package(GTest REQUIRED)
endif()

# -O1, as the sanitizers advise: unoptimised, the tests that stream hundreds
# of MiB through the configuration reader take minutes instead of seconds.
set(UPDSTART_SANITIZERS "")
if(NOT MSVC)
  set(UPDSTART_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1)
  target_compile_options(updstart_core PRIVATE ${UPDSTART_SANITIZERS})
endif()

file(GLOB UPDSTART_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UPDSTART_UNIT_TESTS})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(unit_tests PRIVATE ${UPDSTART_WARNINGS} ${UPDSTART_SANITIZERS})
target_link_options(unit_tests PRIVATE ${UPDSTART_SANITIZERS})
target_link_libraries(unit_tests PRIVATE updstart_core GTest::gtest GTest::gtest_main)

include(GoogleTest)
gtest_discover_tests(unit_tests)
