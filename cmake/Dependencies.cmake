# Third-party libraries as vyrn:: targets, for the three builds:
#   mingw (i686 / x86_64): static libraries cross-built by ./scripts/setup into
#                          ${VYRN_DEPS_DIR}/<triplet>/{include,lib,bin}
#   native Linux:          Debian's -dev packages, plus minizip and the 7z module
#                          from ${VYRN_DEPS_DIR}/<multiarch triplet>
#
# Targets: vyrn::curl vyrn::jsoncpp vyrn::websocketpp vyrn::zlib vyrn::minizip
#          vyrn::pugixml vyrn::crypto
# Cache:   VYRN_DEPS_DIR, VYRN_DEPS_TRIPLET, VYRN_WIN32_WINNT (mingw),
#          VYRN_7Z_MODULE (7zxa.dll / lib7zxa.so for this target)
include_guard(GLOBAL)

set(_vyrn_deps_default /var/cache/vyrn/deps)
if(NOT "$ENV{VYRN_DEPS_DIR}" STREQUAL "")
  set(VYRN_DEPS_DIR "$ENV{VYRN_DEPS_DIR}" CACHE PATH "Cache of the libraries built by scripts/setup" FORCE)
else()
  set(VYRN_DEPS_DIR "${_vyrn_deps_default}" CACHE PATH "Cache of the libraries built by scripts/setup")
endif()

if(MINGW OR (WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"))
  set(_vyrn_mingw TRUE)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_vyrn_triplet_default x86_64-w64-mingw32)
  else()
    set(_vyrn_triplet_default i686-w64-mingw32)
  endif()
elseif(UNIX AND NOT APPLE)
  set(_vyrn_mingw FALSE)
  if(CMAKE_LIBRARY_ARCHITECTURE)
    set(_vyrn_triplet_default ${CMAKE_LIBRARY_ARCHITECTURE})
  else()
    set(_vyrn_triplet_default x86_64-linux-gnu)
  endif()
else()
  message(FATAL_ERROR "Dependencies.cmake supports mingw-w64 cross builds and native Linux builds only")
endif()
set(VYRN_DEPS_TRIPLET "${_vyrn_triplet_default}" CACHE STRING "Sub-folder of VYRN_DEPS_DIR for this target")
set(_vyrn_prefix "${VYRN_DEPS_DIR}/${VYRN_DEPS_TRIPLET}")

set(_vyrn_missing "")
function(_vyrn_require)
  set(missing "${_vyrn_missing}")
  foreach(f IN LISTS ARGN)
    if(NOT EXISTS "${f}")
      string(APPEND missing "\n  ${f}")
    endif()
  endforeach()
  set(_vyrn_missing "${missing}" PARENT_SCOPE)
endfunction()
macro(_vyrn_fail_if_missing)
  if(_vyrn_missing)
    message(FATAL_ERROR
      "Missing third-party dependencies for ${VYRN_DEPS_TRIPLET}:${_vyrn_missing}\n"
      "Run ./scripts/setup (as root) to install and build them "
      "(VYRN_DEPS_DIR=${VYRN_DEPS_DIR}).")
  endif()
endmacro()

# STATIC IMPORTED library from the deps prefix.
function(_vyrn_static_import name file)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION "${_vyrn_prefix}/lib/${file}"
    INTERFACE_INCLUDE_DIRECTORIES "${_vyrn_prefix}/include")
endfunction()

find_package(Threads REQUIRED)

if(_vyrn_mingw)
  # ---------------------------------------------------------------- mingw
  _vyrn_require(
    "${_vyrn_prefix}/lib/libcurl.a" "${_vyrn_prefix}/include/curl/curl.h"
    "${_vyrn_prefix}/lib/libjsoncpp.a" "${_vyrn_prefix}/include/json/json.h"
    "${_vyrn_prefix}/lib/libz.a" "${_vyrn_prefix}/include/zlib.h"
    "${_vyrn_prefix}/lib/libminizip.a" "${_vyrn_prefix}/include/minizip/unzip.h"
    "${_vyrn_prefix}/lib/libpugixml.a" "${_vyrn_prefix}/include/pugixml.hpp"
    "${_vyrn_prefix}/bin/7zxa.dll"
    "${VYRN_DEPS_DIR}/ws-include/websocketpp/server.hpp"
    "${VYRN_DEPS_DIR}/ws-include/asio.hpp")
  _vyrn_fail_if_missing()

  # Schannel TLS; the SSPI entry points are loaded at run time from secur32.
  _vyrn_static_import(vyrn::curl libcurl.a)
  set_target_properties(vyrn::curl PROPERTIES
    INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
    INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;bcrypt;advapi32;winmm")

  _vyrn_static_import(vyrn::jsoncpp libjsoncpp.a)
  _vyrn_static_import(vyrn::zlib libz.a)
  _vyrn_static_import(vyrn::minizip libminizip.a)
  set_target_properties(vyrn::minizip PROPERTIES INTERFACE_LINK_LIBRARIES vyrn::zlib)
  _vyrn_static_import(vyrn::pugixml libpugixml.a)

  add_library(vyrn::crypto INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::crypto PROPERTIES INTERFACE_LINK_LIBRARIES bcrypt)

  # Header-only; ws-include holds only websocketpp and asio, so /usr/include
  # (the host's headers) never reaches a cross compile.
  set(VYRN_WIN32_WINNT 0x0601 CACHE STRING "_WIN32_WINNT that asio is compiled for (0x0601 = Windows 7)")
  add_library(vyrn::websocketpp INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::websocketpp PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${VYRN_DEPS_DIR}/ws-include"
    # websocketpp does not enable std::thread on mingw by itself.
    INTERFACE_COMPILE_DEFINITIONS "ASIO_STANDALONE;_WEBSOCKETPP_CPP11_STL_;_WEBSOCKETPP_CPP11_THREAD_;_WIN32_WINNT=${VYRN_WIN32_WINNT}"
    INTERFACE_LINK_LIBRARIES "ws2_32;mswsock;Threads::Threads")

  set(_vyrn_7z_module "${_vyrn_prefix}/bin/7zxa.dll")
else()
  # ---------------------------------------------------------------- native
  find_package(CURL QUIET)
  find_package(OpenSSL QUIET COMPONENTS Crypto)
  find_package(ZLIB QUIET)
  find_package(jsoncpp CONFIG QUIET)
  find_package(pugixml CONFIG QUIET)
  foreach(_p CURL OpenSSL ZLIB jsoncpp pugixml)
    if(NOT ${_p}_FOUND)
      string(APPEND _vyrn_missing "\n  ${_p} development package")
    endif()
  endforeach()
  _vyrn_require(
    "/usr/include/websocketpp/server.hpp" "/usr/include/asio.hpp"
    "${_vyrn_prefix}/lib/libminizip.a" "${_vyrn_prefix}/include/minizip/unzip.h"
    "${_vyrn_prefix}/lib/lib7zxa.so")
  _vyrn_fail_if_missing()

  add_library(vyrn::curl INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::curl PROPERTIES INTERFACE_LINK_LIBRARIES CURL::libcurl)

  add_library(vyrn::jsoncpp INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::jsoncpp PROPERTIES INTERFACE_LINK_LIBRARIES jsoncpp_lib)

  add_library(vyrn::zlib INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::zlib PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

  # Debian's minizip package is not installed; ours is built against the system zlib.
  _vyrn_static_import(vyrn::minizip libminizip.a)
  set_target_properties(vyrn::minizip PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

  add_library(vyrn::pugixml INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::pugixml PROPERTIES INTERFACE_LINK_LIBRARIES pugixml::pugixml)

  add_library(vyrn::crypto INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::crypto PROPERTIES INTERFACE_LINK_LIBRARIES OpenSSL::Crypto)

  add_library(vyrn::websocketpp INTERFACE IMPORTED GLOBAL)
  set_target_properties(vyrn::websocketpp PROPERTIES
    INTERFACE_COMPILE_DEFINITIONS "ASIO_STANDALONE;_WEBSOCKETPP_CPP11_STL_"
    INTERFACE_LINK_LIBRARIES Threads::Threads)

  set(_vyrn_7z_module "${_vyrn_prefix}/lib/lib7zxa.so")
endif()

# Derived from VYRN_DEPS_DIR; a hand-set path is kept while it exists.
if(NOT VYRN_7Z_MODULE OR NOT EXISTS "${VYRN_7Z_MODULE}")
  set(VYRN_7Z_MODULE "${_vyrn_7z_module}" CACHE FILEPATH "7z extraction module for this target" FORCE)
endif()

unset(_vyrn_missing)
