# Every program is one self-contained PE32 file: the C++ runtime, libgcc and
# winpthread are linked in, so only system DLLs are imported.
add_compile_definitions(WIN32_LEAN_AND_MEAN WINVER=0x0601 _WIN32_WINNT=0x0601
                        _WIN32_IE=0x0700 STRICT NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
add_link_options(-static -static-libgcc -static-libstdc++)

# Wine runs the test programs; ctest needs to know where the project's prefix is.
set(ZEMA_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run.sh)
