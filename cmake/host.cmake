# The host tree builds the portable code natively, instrumented for tests.
option(ZEMA_SANITIZE "Build with AddressSanitizer and UBSan" ON)
add_compile_options(-Wall -Wextra)
if(ZEMA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
