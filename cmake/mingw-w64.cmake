# Cross toolchain for Windows builds from Linux: Debian's mingw-w64 GCC (posix threads variant) and a Qt 6
# built for x86_64-w64-mingw32, whose prefix is given as KVD_QT_MINGW (cache variable or environment).
# The host's moc, rcc and uic serve as Qt's host tools, so the host Qt must be the same version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KVD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KVD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KVD_MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${KVD_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${KVD_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT KVD_QT_MINGW AND DEFINED ENV{KVD_QT_MINGW})
    set(KVD_QT_MINGW $ENV{KVD_QT_MINGW})
endif()
if(NOT KVD_QT_MINGW)
    message(FATAL_ERROR "Set KVD_QT_MINGW to the prefix of a Qt 6 built for mingw-w64")
endif()
set(KVD_QT_MINGW ${KVD_QT_MINGW} CACHE PATH "Prefix of the Qt 6 built for mingw-w64")
# Try-compiles run in fresh projects that see only these variables.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KVD_QT_MINGW)

# Target headers and libraries come from the mingw sysroot and the Qt prefix; programs from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KVD_MINGW_TRIPLE} ${KVD_QT_MINGW})
list(APPEND CMAKE_PREFIX_PATH ${KVD_QT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# Tests and other built programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# The mingw runtime DLLs the programs need beside them.
set(KVD_MINGW_RUNTIME_DIRS /usr/lib/gcc/${KVD_MINGW_TRIPLE}/12-posix /usr/${KVD_MINGW_TRIPLE}/lib)
