# clang in place of GCC, for the target, headers and libraries that the GCC
# toolchain file just named: a second compiler over the very same project, so
# that whatever the project adds to the Windows build is compiled by both. Not
# a shipped build.
#
# With the sysroot, clang finds the mingw-w64 headers and libraries and leaves
# the host's /usr/include out of the search. It does not find the GCC folder
# that holds libstdc++ and the start-up objects (its name, "12-win32", is not
# a version to clang), so that folder is asked of the GCC driver and handed
# over as system headers.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                OUTPUT_VARIABLE updstart_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE updstart_failed)
if(updstart_failed OR NOT EXISTS "${updstart_libgcc}")
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not say where its runtime is: install mingw-w64's g++")
endif()
get_filename_component(updstart_gcc_dir "${updstart_libgcc}" DIRECTORY)
set(updstart_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${updstart_triple})
set(CMAKE_CXX_COMPILER_TARGET ${updstart_triple})
set(CMAKE_SYSROOT /usr/${updstart_triple})
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${updstart_gcc_dir}/include/c++ \
-isystem ${updstart_gcc_dir}/include/c++/${updstart_triple} -isystem ${updstart_gcc_dir}/include/c++/backward")
# The start-up objects (-B) and libstdc++ (-L); the header options above
# mean nothing to a link.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${updstart_gcc_dir} -L${updstart_gcc_dir} -Wno-unused-command-line-argument")
