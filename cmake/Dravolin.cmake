# Common settings for every target of the tree.

# Where tools/build-libjpeg.sh installed the cross-built libjpeg: the cache the tools use
# (DRAVOLIN_CACHE, else the user's cache folder).
if(DEFINED ENV{DRAVOLIN_CACHE} AND NOT "$ENV{DRAVOLIN_CACHE}" STREQUAL "")
  set(dravolin_cache "$ENV{DRAVOLIN_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(dravolin_cache "$ENV{XDG_CACHE_HOME}/dravolin")
else()
  set(dravolin_cache "$ENV{HOME}/.cache/dravolin")
endif()
set(DRAVOLIN_JPEG_DIR "${dravolin_cache}/libjpeg" CACHE PATH "libjpeg (6b interface) prefix")
if(NOT EXISTS "${DRAVOLIN_JPEG_DIR}/lib/libjpeg.a" OR NOT EXISTS "${DRAVOLIN_JPEG_DIR}/include/jpeglib.h")
  message(FATAL_ERROR "libjpeg not found in ${DRAVOLIN_JPEG_DIR}: run tools/build-libjpeg.sh "
                      "or set DRAVOLIN_JPEG_DIR")
endif()
add_library(jpeg6b STATIC IMPORTED GLOBAL)
set_target_properties(jpeg6b PROPERTIES
  IMPORTED_LOCATION "${DRAVOLIN_JPEG_DIR}/lib/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${DRAVOLIN_JPEG_DIR}/include")

# Compile settings shared by our own targets (not by third-party code).
add_library(dravolin_options INTERFACE)
target_compile_options(dravolin_options INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>)
target_compile_definitions(dravolin_options INTERFACE
  _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
target_include_directories(dravolin_options INTERFACE ${PROJECT_SOURCE_DIR})
# One self-contained executable: no runtime DLL of the compiler beside it.
target_link_options(dravolin_options INTERFACE -static -static-libgcc -static-libstdc++)

# dravolin_library(NAME [SOURCES ...] [DEPENDS ...]): the static library of one source
# folder; a folder without sources yet is an interface library so dependants link it already.
function(dravolin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC dravolin_options ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE dravolin_options ${ARG_DEPENDS})
  endif()
endfunction()

# Windows programs built here (tests, generators run at test time) run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run)
