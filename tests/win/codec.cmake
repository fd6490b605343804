# The codec's Windows-only parts: the GDI bitmap and the metafile decoder.
zema_win_test(codec_bitmap_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_bitmap_test.cpp LIBS zema_codec)
zema_win_test(codec_wmf_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_wmf_test.cpp
              ${CMAKE_SOURCE_DIR}/tests/common/metafile_samples.cpp LIBS zema_codec)

# imgdump.exe decodes the demo set's WebPs.
add_test(NAME imgdump_demo_webp
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/imgdump-webp.sh $<TARGET_FILE:imgdump> ${CMAKE_CURRENT_BINARY_DIR}/webp-demo)
set_tests_properties(imgdump_demo_webp PROPERTIES TIMEOUT 120)
