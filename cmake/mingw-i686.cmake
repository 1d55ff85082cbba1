# Toolchain of the Windows build: mingw-w64 for 32-bit Windows, posix thread
# model, with the libraries that scripts/bootstrap.sh cross-built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

if(NOT AV_DEPS_PREFIX)
  if(DEFINED ENV{AV_CACHE})
    set(_av_cache "$ENV{AV_CACHE}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(_av_cache "$ENV{XDG_CACHE_HOME}/korvane-installer")
  else()
    set(_av_cache "$ENV{HOME}/.cache/korvane-installer")
  endif()
  set(AV_DEPS_PREFIX "${_av_cache}/mingw-i686/current" CACHE PATH "Cross-built libraries (scripts/bootstrap.sh)")
endif()

set(CMAKE_FIND_ROOT_PATH "${AV_DEPS_PREFIX}" /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, each run in a throw-away prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
