# The codec's Windows-only parts: the GDI bitmap and the metafile decoder.
zema_win_test(codec_bitmap_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_bitmap_test.cpp LIBS zema_codec)
zema_win_test(codec_wmf_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/codec_wmf_test.cpp
              ${CMAKE_SOURCE_DIR}/tests/common/metafile_samples.cpp LIBS zema_codec)
target_include_directories(codec_wmf_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
