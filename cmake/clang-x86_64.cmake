# The x86_64 program built by clang (scripts/test): the same project as
# mingw-x86_64.cmake builds, another compiler.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ClangMingw.cmake)
