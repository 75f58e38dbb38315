# Coverage-guided fuzz targets for the portable core, one program per area,
# built with clang's libFuzzer and the address and undefined-behaviour
# sanitizers. Each target compiles only the core sources it exercises, so the
# coverage it steers by is that code's alone. tests/fuzz/run.sh drives them.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "UPDSTART_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++)")
endif()

set(UPDSTART_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)

function(updstart_add_fuzzer name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated
                                             ${CMAKE_SOURCE_DIR}/tests/fuzz
                                             ${CMAKE_SOURCE_DIR}/tests/unit)
  target_compile_options(${name} PRIVATE ${UPDSTART_WARNINGS} ${UPDSTART_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE ${UPDSTART_FUZZ_FLAGS})
  add_dependencies(updstart_fuzzers ${name})
endfunction()

add_custom_target(updstart_fuzzers)
set(src ${CMAKE_SOURCE_DIR}/src)
updstart_add_fuzzer(wildcard_fuzzer ${src}/shared/Wildcard.cpp)
updstart_add_fuzzer(config_fields_fuzzer ${src}/sources/ConfigFieldReader.cpp
                    ${src}/sources/TextDecoder.cpp ${src}/sources/DefaultSource.cpp
                    ${src}/product/LanguageTests.cpp ${src}/shared/Wildcard.cpp)
updstart_add_fuzzer(command_line_fuzzer ${src}/app/CommandLine.cpp)
updstart_add_fuzzer(quote_source_fuzzer ${src}/launch/UpdateCommand.cpp
                    ${src}/shared/WindowsArguments.cpp)
