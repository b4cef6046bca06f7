# Shared by the two MinGW-w64 toolchains; ZV_MINGW_TRIPLET is set by the including file.
# The -posix compilers: std::mutex and std::thread need them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZV_MINGW_TRIPLET}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
set(CMAKE_FIND_ROOT_PATH /usr/${ZV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
