# The event log's message table, src/platform/EventMessages.mc, is the one
# list of the program's events: the message compiler turns it into the header
# whose numbers the core writes (platform/EventId.h) and into the .rc and .bin
# files the program's resources include. Compiled when the build is configured
# (and again whenever the .mc changes), so that every target of every build,
# the unit tests and the fuzz targets among them, sees the same numbers.
set(UPDSTART_MESSAGES ${CMAKE_SOURCE_DIR}/src/platform/EventMessages.mc)
set(UPDSTART_MESSAGES_DIR ${CMAKE_BINARY_DIR}/generated)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UPDSTART_MESSAGES})
file(MAKE_DIRECTORY ${UPDSTART_MESSAGES_DIR})

if(MSVC)
  # mc.exe reads Unicode only as UTF-16: the UTF-8 source is converted first.
  find_program(UPDSTART_MESSAGE_COMPILER mc REQUIRED)
  set(utf16 ${UPDSTART_MESSAGES_DIR}/EventMessages.mc)
  execute_process(
    COMMAND powershell -NoProfile -Command
            "[IO.File]::WriteAllText('${utf16}', [IO.File]::ReadAllText('${UPDSTART_MESSAGES}', [Text.Encoding]::UTF8), [Text.Encoding]::Unicode)"
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(
    COMMAND ${UPDSTART_MESSAGE_COMPILER} -u -U -h ${UPDSTART_MESSAGES_DIR} -r ${UPDSTART_MESSAGES_DIR} ${utf16}
    COMMAND_ERROR_IS_FATAL ANY)
else()
  # binutils' windmc, from either mingw-w64 toolchain: the host build needs
  # only its header.
  find_program(UPDSTART_MESSAGE_COMPILER REQUIRED NAMES
               ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-windmc x86_64-w64-mingw32-windmc
               i686-w64-mingw32-windmc windmc)
  execute_process(
    COMMAND ${UPDSTART_MESSAGE_COMPILER} -C 65001 -U -h ${UPDSTART_MESSAGES_DIR}
            -r ${UPDSTART_MESSAGES_DIR} ${UPDSTART_MESSAGES}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
