# Boost (Iostreams with bzip2, Filesystem, System, Format, Uuid, string
# algorithms), libbz2 and GoogleTest.
#  - native: Debian's packages;
#  - windows: the copies scripts/bootstrap.sh cross-built into AV_DEPS_PREFIX,
#    against Debian's Boost headers.
add_library(av::boost INTERFACE IMPORTED)
add_library(av::bz2 INTERFACE IMPORTED)
add_library(av::system_libs INTERFACE IMPORTED)
add_library(av::gtest INTERFACE IMPORTED)

if(WIN32)
  if(NOT EXISTS "${AV_DEPS_PREFIX}/lib/libboost_filesystem.a")
    message(FATAL_ERROR "Cross-built libraries missing in ${AV_DEPS_PREFIX}: run scripts/bootstrap.sh")
  endif()
  target_include_directories(av::boost SYSTEM INTERFACE "${AV_DEPS_PREFIX}/boost-include")
  target_compile_definitions(av::boost INTERFACE BOOST_ALL_NO_LIB BOOST_USE_WINDOWS_H
    BOOST_FILESYSTEM_STATIC_LINK=1 BOOST_IOSTREAMS_STATIC_LINK=1)
  target_link_libraries(av::boost INTERFACE
    "${AV_DEPS_PREFIX}/lib/libboost_iostreams.a" "${AV_DEPS_PREFIX}/lib/libboost_filesystem.a")
  target_include_directories(av::bz2 SYSTEM INTERFACE "${AV_DEPS_PREFIX}/include")
  target_link_libraries(av::bz2 INTERFACE "${AV_DEPS_PREFIX}/lib/libbz2.a")
  # Windows' own libraries the installer and the Boost libraries use.
  target_link_libraries(av::system_libs INTERFACE
    comctl32 shlwapi shell32 ole32 oleaut32 uuid advapi32 version user32 gdi32 comdlg32 bcrypt)
  target_include_directories(av::gtest SYSTEM INTERFACE "${AV_DEPS_PREFIX}/include")
  target_link_libraries(av::gtest INTERFACE
    "${AV_DEPS_PREFIX}/lib/libgmock.a" "${AV_DEPS_PREFIX}/lib/libgtest.a")
else()
  find_package(Boost 1.74 REQUIRED COMPONENTS iostreams filesystem)
  target_link_libraries(av::boost INTERFACE Boost::headers Boost::iostreams Boost::filesystem)
  find_package(BZip2 REQUIRED)
  target_link_libraries(av::bz2 INTERFACE BZip2::BZip2)
  find_package(GTest REQUIRED)
  target_link_libraries(av::gtest INTERFACE GTest::gtest GTest::gmock)
  find_package(Iconv)
endif()
