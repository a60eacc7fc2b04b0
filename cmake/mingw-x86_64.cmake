# Cross build for 64-bit Windows with the mingw-w64 x86_64 tool chain, for machines that
# run no 32-bit code (tools/wine-env).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOL_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
