# CMake toolchain for 64-bit Windows with Debian's MinGW-w64 (GCC, posix threads variant).
# scripts/windows/qt.sh builds Qt with it (through a copy in its cache folder, whose path Qt
# records); the program is then configured with that Qt's bin/qt-cmake, which loads it again.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRAZO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRAZO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRAZO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRAZO_MINGW_TRIPLET}-windres)

# The cache folder of qt.sh (it holds the static SQLite that Qt's SQL driver links): a -D value
# wins, then the environment, then the same default as qt.sh.
if(NOT BRAZO_WINDOWS_CACHE)
  if(DEFINED ENV{BRAZO_WINDOWS_CACHE} AND NOT "$ENV{BRAZO_WINDOWS_CACHE}" STREQUAL "")
    set(BRAZO_WINDOWS_CACHE "$ENV{BRAZO_WINDOWS_CACHE}")
  elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(BRAZO_WINDOWS_CACHE "$ENV{XDG_CACHE_HOME}/brazo-windows")
  else()
    set(BRAZO_WINDOWS_CACHE "$ENV{HOME}/.cache/brazo-windows")
  endif()
endif()
# try_compile projects re-read this file without the cache: hand the value on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRAZO_WINDOWS_CACHE)

# Look for Windows libraries, headers and packages only in the MinGW sysroot and the SQLite
# folder (never in the host's /usr), but run the host's programs (moc, rcc, ...).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${BRAZO_MINGW_TRIPLET} "${BRAZO_WINDOWS_CACHE}/sqlite")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
