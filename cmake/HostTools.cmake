# Host tools of the Windows build: the release engineer's avpack, built with
# the host's compiler (not the cross toolchain) from this source tree into
# <windows build>/host-tools, so that the cross build can pack the sample
# product while it builds the installer.
#
# Provides:
#   AV_HOST_AVPACK  the path of the host avpack executable
#   av_host_tools   the target that builds it; depend on it, e.g.
#     add_custom_command(OUTPUT payload.bz2
#       COMMAND ${AV_HOST_AVPACK} pack manifest.txt payload.bz2
#       DEPENDS av_host_tools ${AV_HOST_AVPACK} manifest.txt ...)
include_guard(GLOBAL)
include(ExternalProject)

set(AV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(AV_HOST_AVPACK ${AV_HOST_TOOLS_DIR}/bin/avpack)

# A native configuration of this very source tree: no toolchain file is
# passed on, so CMake picks the host's compilers and the Debian libraries.
# Only the avpack target is built; BUILD_ALWAYS lets the inner build notice
# changed sources (a no-op when nothing changed).
find_program(AV_HOST_CMAKE cmake REQUIRED)
ExternalProject_Add(av_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${AV_HOST_TOOLS_DIR}
  CMAKE_COMMAND ${AV_HOST_CMAKE}
  CMAKE_GENERATOR Ninja
  # The same build type as the native preset (the warnings it was checked with).
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo
  BUILD_COMMAND ${AV_HOST_CMAKE} --build <BINARY_DIR> --target avpack
  BUILD_BYPRODUCTS ${AV_HOST_AVPACK}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  # Built only when something depends on it (the payload of the product), so
  # that other Windows builds do not pay for a native build of the core.
  EXCLUDE_FROM_ALL TRUE
  USES_TERMINAL_BUILD ON)
