# Cross build for 64-bit Windows: the same plug-in for a 64-bit client, and what runs the
# Windows tests where 32-bit programs cannot run.
set(ZV_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
