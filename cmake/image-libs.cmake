# The image libraries under stable names for both trees:
#   zema::jpeg zema::png zema::tiff zema::openjp2 zema::jbig zema::webp zema::zlib
# Windows tree: the static builds of deps/build.sh for the tree's architecture
# (build/deps/i686 or build/deps/x86_64) and zlib from libz-mingw-w64-dev.
# Host tree: Debian's -dev packages.
# The targets are GLOBAL so that one include (from the top level) serves every
# directory; a second include is a no-op.
# zema_host_libraries(NAME=TARGET ...): in the host tree, zema::NAME stands
# for the Debian package's TARGET.
function(zema_host_libraries)
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 name)
    list(GET pair 1 target)
    add_library(zema::${name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(zema::${name} PROPERTIES INTERFACE_LINK_LIBRARIES ${target})
  endforeach()
endfunction()

if(TARGET zema::jpeg)
  return()
endif()

get_filename_component(zema_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

if(WIN32)
  set(ZEMA_DEPS_DIR ${zema_root}/build/deps CACHE PATH
      "Where deps/build.sh puts the cross-built image libraries")
  option(ZEMA_BUILD_DEPS "Run deps/build.sh at configure time (quick when up to date)" ON)

  # Editing a pin or a script re-runs the configure step, and with it the
  # dependency build; an unchanged stamp makes that a no-op.
  file(GLOB zema_deps_scripts ${zema_root}/deps/*.sh)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${zema_root}/deps/versions ${zema_deps_scripts})

  if(ZEMA_BUILD_DEPS)
    message(STATUS "Image libraries: checking ${ZEMA_DEPS_DIR}")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env ZEMA_DEPS_DIR=${ZEMA_DEPS_DIR}
              ZEMA_ARCH=${CMAKE_SYSTEM_PROCESSOR} ${zema_root}/deps/build.sh
      RESULT_VARIABLE zema_deps_rc)
    if(NOT zema_deps_rc EQUAL 0)
      message(FATAL_ERROR "deps/build.sh failed (${zema_deps_rc})")
    endif()
  endif()

  set(zema_deps_prefix ${ZEMA_DEPS_DIR}/${CMAKE_SYSTEM_PROCESSOR})
  if(NOT EXISTS ${zema_deps_prefix}/.stamp)
    message(FATAL_ERROR "No image libraries in ${zema_deps_prefix}: run deps/build.sh (or `make deps`)")
  endif()

  # Imported include directories are treated as system ones, so the
  # libraries' headers do not trip our warnings.
  function(zema_import_static name lib)
    cmake_parse_arguments(I "" "" "INCLUDES;DEPS;DEFINES" ${ARGN})
    add_library(zema::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(zema::${name} PROPERTIES
      IMPORTED_LOCATION ${lib}
      INTERFACE_INCLUDE_DIRECTORIES "${I_INCLUDES}"
      INTERFACE_LINK_LIBRARIES "${I_DEPS}"
      INTERFACE_COMPILE_DEFINITIONS "${I_DEFINES}")
  endfunction()

  set(zema_mingw_zlib /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32/lib/libz.a)
  if(NOT EXISTS ${zema_mingw_zlib})
    message(FATAL_ERROR "${zema_mingw_zlib} is missing (package libz-mingw-w64-dev)")
  endif()
  # The include directory is the cross compiler's own, so none is added;
  # naming libz.a itself keeps the DLL import library out.
  zema_import_static(zlib ${zema_mingw_zlib})
  zema_import_static(jpeg ${zema_deps_prefix}/lib/libjpeg.a
    INCLUDES ${zema_deps_prefix}/include)
  zema_import_static(png ${zema_deps_prefix}/lib/libpng16.a
    INCLUDES ${zema_deps_prefix}/include DEPS zema::zlib)
  zema_import_static(tiff ${zema_deps_prefix}/lib/libtiff.a
    INCLUDES ${zema_deps_prefix}/include DEPS zema::jpeg zema::zlib)
  # Without OPJ_STATIC the header declares __stdcall DLL imports.
  zema_import_static(openjp2 ${zema_deps_prefix}/lib/libopenjp2.a
    INCLUDES ${zema_deps_prefix}/include/openjpeg-2.5 DEFINES OPJ_STATIC)
  zema_import_static(jbig ${zema_deps_prefix}/lib/libjbig.a
    INCLUDES ${zema_deps_prefix}/include)
  # The demux part calls into the decoder, so the decoder follows it.
  zema_import_static(webpdecoder ${zema_deps_prefix}/lib/libwebpdecoder.a)
  zema_import_static(webp ${zema_deps_prefix}/lib/libwebpdemux.a
    INCLUDES ${zema_deps_prefix}/include DEPS zema::webpdecoder)
else()
  find_package(ZLIB REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ZEMA_OPENJP2 REQUIRED IMPORTED_TARGET libopenjp2)
  pkg_check_modules(ZEMA_WEBP REQUIRED IMPORTED_TARGET libwebpdemux libwebp)
  find_library(ZEMA_JBIG_LIBRARY NAMES jbig REQUIRED)
  find_path(ZEMA_JBIG_INCLUDE_DIR jbig.h REQUIRED)

  # The packages' own targets are local to this directory; made global, the
  # wrappers below resolve them from any directory that links a zema:: name.
  foreach(t ZLIB::ZLIB JPEG::JPEG PNG::PNG TIFF::TIFF PkgConfig::ZEMA_OPENJP2 PkgConfig::ZEMA_WEBP)
    get_target_property(zema_is_global ${t} IMPORTED_GLOBAL)
    if(NOT zema_is_global)
      set_target_properties(${t} PROPERTIES IMPORTED_GLOBAL TRUE)
    endif()
  endforeach()

  add_library(zema::jbig UNKNOWN IMPORTED GLOBAL)
  set_target_properties(zema::jbig PROPERTIES
    IMPORTED_LOCATION ${ZEMA_JBIG_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ZEMA_JBIG_INCLUDE_DIR})

  zema_host_libraries(zlib=ZLIB::ZLIB jpeg=JPEG::JPEG png=PNG::PNG tiff=TIFF::TIFF
                      openjp2=PkgConfig::ZEMA_OPENJP2 webp=PkgConfig::ZEMA_WEBP)
endif()
