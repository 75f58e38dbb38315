# Benchmarks (-DUPDSTART_BENCH=ON; scripts/bench runs them all). In the
# Windows build: the baseline window program the real one is compared with,
# built plainly (-O2, no stack protector, none of the program's hardening
# options), the limit that the hardened program can approach; and the probe
# that times both under Wine. In the host build: the configuration scan,
# optimised, with
# the core sources they use compiled straight in (updstart_core carries the
# unit tests' sanitizers there).
if(MSVC)
  message(FATAL_ERROR "The benchmarks are built with mingw-w64 and the host compiler (scripts/bench)")
elseif(WIN32)
  add_executable(bench_baseline WIN32
    ${CMAKE_SOURCE_DIR}/bench/baseline/Baseline.cpp
    ${CMAKE_SOURCE_DIR}/bench/baseline/baseline.rc)
  target_include_directories(bench_baseline PRIVATE
    ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/app/win32/resources)
  target_compile_definitions(bench_baseline PRIVATE ${UPDSTART_WINDOWS_DEFINITIONS})
  # Static and stripped like the program only so that it runs in a bare
  # prefix and its size compares; the linker's own defaults stay as they are.
  target_compile_options(bench_baseline PRIVATE ${UPDSTART_WARNINGS} -O2)
  target_link_options(bench_baseline PRIVATE -municode -static -s)
  target_link_libraries(bench_baseline PRIVATE comctl32)
  set_target_properties(bench_baseline PROPERTIES OUTPUT_NAME baseline)

  add_executable(startup_probe ${CMAKE_SOURCE_DIR}/bench/startup/StartupProbe.cpp)
  target_compile_definitions(startup_probe PRIVATE ${UPDSTART_WINDOWS_DEFINITIONS})
  target_compile_options(startup_probe PRIVATE ${UPDSTART_WARNINGS})
  target_link_options(startup_probe PRIVATE -municode -static)
  target_link_libraries(startup_probe PRIVATE psapi)
else()
  set(UPDSTART_BENCH_CORE
    ${CMAKE_SOURCE_DIR}/src/sources/ConfigFieldReader.cpp
    ${CMAKE_SOURCE_DIR}/src/sources/TextDecoder.cpp
    ${CMAKE_SOURCE_DIR}/src/sources/DefaultSource.cpp
    ${CMAKE_SOURCE_DIR}/src/product/LanguageTests.cpp
    ${CMAKE_SOURCE_DIR}/src/shared/Wildcard.cpp)

  # The unit tests' heap counter measures the reader's peak memory.
  add_executable(bench_scan ${CMAKE_SOURCE_DIR}/bench/core/ScanConfig.cpp ${UPDSTART_BENCH_CORE}
    ${CMAKE_SOURCE_DIR}/tests/unit/HeapCounter.cpp)
  target_include_directories(bench_scan PRIVATE
    ${CMAKE_SOURCE_DIR}/tests/unit ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  # -O2 whatever the build type, and symbols for a profiler.
  target_compile_options(bench_scan PRIVATE ${UPDSTART_WARNINGS} -O2 -g)
endif()
