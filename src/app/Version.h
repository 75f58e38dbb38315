/* The program's version, in one place for the caption and the version
   resource. Plain macros so that the resource compiler can read it too. */
#pragma once

#define UPDSTART_VERSION_MAJOR 2
#define UPDSTART_VERSION_MINOR 33
#define UPDSTART_VERSION_BUILD 0
#define UPDSTART_VERSION_REVISION 107

#define UPDSTART_STR2(x) #x
#define UPDSTART_STR(x) UPDSTART_STR2(x)
#define UPDSTART_VERSION_TEXT                                \
  UPDSTART_STR(UPDSTART_VERSION_MAJOR)                       \
  "." UPDSTART_STR(UPDSTART_VERSION_MINOR) "." UPDSTART_STR( \
      UPDSTART_VERSION_BUILD) "." UPDSTART_STR(UPDSTART_VERSION_REVISION)
