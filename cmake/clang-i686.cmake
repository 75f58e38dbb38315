# The i686 program built by clang (scripts/test): the same project as
# mingw-i686.cmake builds, another compiler.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ClangMingw.cmake)
