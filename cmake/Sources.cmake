# Source collection by folder: a subsystem folder holds its portable sources;
# win32/ and posix/ below it hold the halves that only one platform builds.
# Files under entry/ are program entry points and never part of a library.
function(av_collect_sources out)
  set(result)
  if(WIN32)
    set(half win32)
  else()
    set(half posix)
  endif()
  foreach(dir IN LISTS ARGN)
    file(GLOB portable CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    file(GLOB platform CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/${half}/*.cpp)
    list(APPEND result ${portable} ${platform})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
