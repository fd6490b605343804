# The cache readers' libraries under stable names for both trees:
#   zema::brotlidec (with brotlicommon) zema::zstd zema::sqlite3
# Windows tree: the static builds of deps/build.sh beside the image libraries
# (include after image-libs.cmake, which runs it and defines the import step).
# Host tree: Debian's libbrotli-dev, libzstd-dev and libsqlite3-dev.
if(TARGET zema::zstd)
  return()
endif()

if(WIN32)
  foreach(lib libbrotlicommon.a libbrotlidec.a libzstd.a libsqlite3.a)
    if(NOT EXISTS ${zema_deps_prefix}/lib/${lib})
      message(FATAL_ERROR "${zema_deps_prefix}/lib/${lib} is missing: run deps/build.sh (or `make deps`)")
    endif()
  endforeach()
  zema_import_static(brotlicommon ${zema_deps_prefix}/lib/libbrotlicommon.a)
  zema_import_static(brotlidec ${zema_deps_prefix}/lib/libbrotlidec.a
    INCLUDES ${zema_deps_prefix}/include DEPS zema::brotlicommon)
  zema_import_static(zstd ${zema_deps_prefix}/lib/libzstd.a
    INCLUDES ${zema_deps_prefix}/include)
  zema_import_static(sqlite3 ${zema_deps_prefix}/lib/libsqlite3.a
    INCLUDES ${zema_deps_prefix}/include)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ZEMA_BROTLIDEC REQUIRED IMPORTED_TARGET GLOBAL libbrotlidec)
  pkg_check_modules(ZEMA_ZSTD REQUIRED IMPORTED_TARGET GLOBAL libzstd)
  pkg_check_modules(ZEMA_SQLITE3 REQUIRED IMPORTED_TARGET GLOBAL sqlite3)
  zema_host_libraries(brotlidec=PkgConfig::ZEMA_BROTLIDEC zstd=PkgConfig::ZEMA_ZSTD
                      sqlite3=PkgConfig::ZEMA_SQLITE3)
endif()
