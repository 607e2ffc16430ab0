# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread
# model), linking everything statically so the .exe runs under Wine alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# GoogleTest is built from Debian's source package; the host's binaries do not fit.
set(TAV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build with the project")
# wxMSW is installed in a folder of its own (scripts/wxmsw.sh names it through
# wxWidgets_CONFIG_EXECUTABLE); its headers are searched for there too.
if(wxWidgets_CONFIG_EXECUTABLE)
  get_filename_component(TAV_WX_PREFIX "${wxWidgets_CONFIG_EXECUTABLE}/../.." ABSOLUTE)
  list(APPEND CMAKE_FIND_ROOT_PATH "${TAV_WX_PREFIX}")
endif()
