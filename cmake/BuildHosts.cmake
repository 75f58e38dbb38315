# Host names a distributor may change without touching code: the vendor's
# mirrors, its test server and its web sites. The defaults are made up and
# reserved (.example and a documentation address range), so that a build
# without a distributor's own names can never send a user to a stranger.
foreach(n RANGE 0 20)
  string(LENGTH "${n}" digits)
  if(digits EQUAL 1)
    set(n "0${n}")
  endif()
  set(UPDSTART_MIRROR_HOST_${n} "update${n}.nordavin.example" CACHE STRING "Host of regular mirror ${n}")
endforeach()
set(UPDSTART_IPV4_SOURCE "203.0.113.10" CACHE STRING "The regular source given as a dotted IPv4 address")
# The current-source report recognises test channels by this name from its
# first hyphen on, the hyphen included, followed by "/test/"; so it must
# contain a hyphen.
set(UPDSTART_TEST_SERVER_HOST "test-ftp.nordavin.example" CACHE STRING "Host of the test channels")
set(UPDSTART_SITE_INTERNATIONAL "www.nordavin.example" CACHE STRING "The vendor's international web site")
set(UPDSTART_SITE_RUSSIAN "www.nordavin-ru.example" CACHE STRING "The vendor's Russian web site")

if(NOT UPDSTART_TEST_SERVER_HOST MATCHES "-")
  message(FATAL_ERROR "UPDSTART_TEST_SERVER_HOST must contain a hyphen")
endif()

configure_file(${CMAKE_SOURCE_DIR}/src/shared/BuildHosts.h.in
               ${CMAKE_BINARY_DIR}/generated/shared/BuildHosts.h @ONLY)
