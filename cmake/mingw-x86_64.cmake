# Cross build for 64-bit Windows: the same sources as the shipped 32-bit
# programs, for testing under 64-bit Wine on machines whose kernel runs no
# 32-bit code (tools/wine-arch.sh decides).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
