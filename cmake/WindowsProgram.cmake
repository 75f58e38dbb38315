# The Windows program itself, and the small Windows tools its tests drive it with.
enable_language(RC)
include(cmake/Reproducible.cmake)

file(GLOB UPDSTART_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/app/win32/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)

# For every Windows program of the build, the tools and benchmarks too: Windows
# 7, as the manifest declares, so that a direct call of anything newer does not
# compile and has to be looked up at run time.
set(UPDSTART_WINDOWS_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

add_executable(updstart WIN32 ${UPDSTART_WIN32_SOURCES} ${CMAKE_SOURCE_DIR}/src/app/win32/resources/updstart.rc)
target_include_directories(updstart PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(updstart PRIVATE ${UPDSTART_WINDOWS_DEFINITIONS})
target_link_libraries(updstart PRIVATE updstart_core comctl32)

# The event log's message table, compiled when the build was configured
# (cmake/EventMessages.cmake).
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/win32/resources/updstart.rc PROPERTIES
  OBJECT_DEPENDS "${UPDSTART_MESSAGES_DIR}/EventMessages.rc;${UPDSTART_MESSAGES_DIR}/MSG00409.bin;${UPDSTART_MESSAGES_DIR}/MSG00419.bin")
target_include_directories(updstart PRIVATE ${UPDSTART_MESSAGES_DIR})

if(MSVC)
  target_compile_options(updstart_core PRIVATE /guard:cf)
  target_compile_options(updstart PRIVATE ${UPDSTART_WARNINGS} /GS /guard:cf)
  target_link_options(updstart PRIVATE /DYNAMICBASE /NXCOMPAT /TSAWARE /guard:cf /MANIFEST:NO)
  set_property(TARGET updstart_core updstart PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded")
else()
  # Hardening: ASLR with relocations kept, NX, a stack protector linked in
  # statically, and no dependency on any DLL but Windows' own.
  # No exceptions: the program catches none (src/app/win32/RuntimeTrims.cpp),
  # so the clean-up paths that unwinding would take are never needed.
  # No guards on function-local statics: the program has one thread, the
  # window's, and every such static is first reached there.
  set(UPDSTART_HARDENING_COMPILE -fstack-protector-strong -fno-exceptions -fno-threadsafe-statics)
  set(UPDSTART_HARDENING_LINK -municode -static -static-libgcc -static-libstdc++
      -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--gc-sections -s)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND UPDSTART_HARDENING_LINK -Wl,--high-entropy-va)
  else()
    list(APPEND UPDSTART_HARDENING_LINK -Wl,--no-seh -Wl,--large-address-aware)
  endif()
  target_compile_options(updstart_core PRIVATE ${UPDSTART_HARDENING_COMPILE} -ffunction-sections -fdata-sections)
  target_compile_options(updstart PRIVATE ${UPDSTART_WARNINGS} ${UPDSTART_HARDENING_COMPILE} -ffunction-sections -fdata-sections)
  target_compile_definitions(updstart_core PRIVATE UNICODE _UNICODE)
  target_link_options(updstart PRIVATE ${UPDSTART_HARDENING_LINK})
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/tools/CMakeLists.txt)
  add_subdirectory(tests/wine/tools)
endif()
