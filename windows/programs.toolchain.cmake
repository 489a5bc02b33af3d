# The Windows programs: the MinGW-w64 cross compiler of the libraries, and the libraries themselves
# (VELMORA_WINDOWS_LIBRARIES, the install prefixes windows/build_libraries.sh prints). Each prefix
# is also a find root, since the cross compiler's roots would otherwise hide it.
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")

# Test projects CMake builds while configuring read this file again and need the same prefixes.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORA_WINDOWS_LIBRARIES)
list(APPEND CMAKE_FIND_ROOT_PATH ${VELMORA_WINDOWS_LIBRARIES})
list(APPEND CMAKE_PREFIX_PATH ${VELMORA_WINDOWS_LIBRARIES})

# Qt's host tools (moc, rcc) are Debian's of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
