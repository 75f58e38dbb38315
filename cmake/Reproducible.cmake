# No wall-clock time in the Windows programs, so that the same commit built in
# any folder on any day gives the same bytes and a release can be checked
# against its SHA256SUMS.
#
# With mingw-w64 the PE header's link time stamp is the only clock that reaches
# the program: the resource compiler leaves the resource directory's stamp at
# zero, Debian's ar writes zeros into the static libraries, and the stripped
# program keeps no source or build path. GNU ld (2.40 here) takes the stamp
# from SOURCE_DATE_EPOCH instead of the clock, and the header checksum it then
# computes over the file follows. The stamp is the SOURCE_DATE_EPOCH set when
# the build is configured, else the date of the last commit of this tree, else
# zero.
#
# MSVC's linker cannot be given a time stamp; /Brepro makes it write a hash of
# the output instead. It rules out incremental linking, so it is set only for
# the configurations that link without it.

function(updstart_source_date_epoch out_var)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT epoch MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH must be whole seconds since 1970, not '${epoch}'")
    endif()
    set(${out_var} ${epoch} PARENT_SCOPE)
    return()
  endif()
  set(epoch 0)
  find_package(Git QUIET)
  if(GIT_FOUND)
    # Only this tree's own history counts, not that of a repository it was
    # unpacked into.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    file(REAL_PATH "${CMAKE_SOURCE_DIR}" source_dir)
    if(NOT failed AND top)
      file(REAL_PATH "${top}" top)
    endif()
    if(NOT failed AND top STREQUAL source_dir)
      execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                      OUTPUT_VARIABLE committed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
      if(NOT failed AND committed MATCHES "^[0-9]+$")
        set(epoch ${committed})
      endif()
      # HEAD's log grows with every commit and checkout: the build configures
      # itself again then, and the stamp follows.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path logs/HEAD
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                      OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(head_log)
        get_filename_component(head_log "${head_log}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
        if(EXISTS "${head_log}")
          set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
        endif()
      endif()
    endif()
  endif()
  set(${out_var} ${epoch} PARENT_SCOPE)
endfunction()

if(MSVC)
  add_link_options($<$<CONFIG:Release,MinSizeRel>:/Brepro>)
else()
  updstart_source_date_epoch(UPDSTART_LINK_TIME_STAMP)
  message(STATUS "Link time stamp: ${UPDSTART_LINK_TIME_STAMP}")
  foreach(lang C CXX)
    set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${UPDSTART_LINK_TIME_STAMP})
  endforeach()
endif()
