# Every program is one self-contained PE32 file: the C++ runtime, libgcc and
# winpthread are linked in, so only system DLLs are imported.
add_compile_definitions(WIN32_LEAN_AND_MEAN WINVER=0x0601 _WIN32_WINNT=0x0601
                        _WIN32_IE=0x0700 STRICT NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
add_link_options(-static -static-libgcc -static-libstdc++)

# Wine runs the test programs; ctest needs to know where the project's prefix is.
set(ZEMA_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run.sh)

# 4 GB of address space for a 32-bit program under 64-bit Windows instead of
# 2; 64-bit programs have it anyway (and their linker knows no such option).
function(zema_large_address_aware target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--large-address-aware)
  endif()
endfunction()
