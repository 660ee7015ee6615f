# The operator file (operators/demo.conf is the demo operator's): read and
# checked before the project is declared, compiled into the client through
# a generated header.
#
# velmora_read_operator_file(FILE) sets in the caller's scope:
#   VELMORA_PORTAL_URL VELMORA_TEST_LOGIN_URL VELMORA_CDN_BASE_URL
#   VELMORA_GAME_SITES VELMORA_EXTRA_HOSTS (lists) VELMORA_PRODUCT
#   VELMORA_COMPANY VELMORA_COPYRIGHT VELMORA_ICON (absolute path)
#   VELMORA_OPERATOR_VERSION VELMORA_UPDATE_FEED
# A bad file stops the configuration with one line:
#   operator file FILE: KEY: what is wrong
#
# velmora_write_operator_header(OUT) writes velmora_operator.h from them.
#
# Checking a file alone, without configuring a build, and writing the header
# for a build that CMake does not drive (fuzz/build.sh):
#   cmake -DVELMORA_OPERATOR_FILE=their.conf [-DVELMORA_OPERATOR_HEADER=OUT] -P cmake/Operator.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()

set(VELMORA_OPERATOR_KEYS portal_url test_login_url cdn_base_url game_sites extra_hosts
    product_name company copyright icon version update_feed)

# The one line, then CMake's own notice that configuring stopped.
function(_velmora_operator_fail file key problem)
  message(NOTICE "operator file ${file}: ${key}: ${problem}")
  message(FATAL_ERROR "The operator file is not valid; see the line above.")
endfunction()

# host, host:port or [v6]:port, as written in the file.
set(_VELMORA_HOST_RE "^([a-z0-9]([a-z0-9._-]*[a-z0-9])?|\\[[0-9a-f:.]+\\])(:[0-9]+)?$")

# Checks an http or https URL; sets ${out_path} to its path and query.
function(_velmora_check_url file key value out_path)
  if(NOT value MATCHES "^[!-~]+$" OR value MATCHES "[\"\\\\<>`{}|^]")
    _velmora_operator_fail("${file}" ${key} "\"${value}\" holds spaces, quotes or other characters a URL cannot have")
  endif()
  if(NOT value MATCHES "^(http|https)://([^/?#]*)(.*)$")
    _velmora_operator_fail("${file}" ${key} "\"${value}\" is not an http or https URL")
  endif()
  set(authority "${CMAKE_MATCH_2}")
  set(path "${CMAKE_MATCH_3}")
  if(authority MATCHES "@")
    _velmora_operator_fail("${file}" ${key} "\"${value}\" has user info (a @ before the host)")
  endif()
  string(TOLOWER "${authority}" authority)
  if(NOT authority MATCHES "${_VELMORA_HOST_RE}")
    _velmora_operator_fail("${file}" ${key} "\"${value}\" has no valid host")
  endif()
  set(${out_path} "${path}" PARENT_SCOPE)
endfunction()

function(_velmora_check_text file key value)
  if(value STREQUAL "")
    _velmora_operator_fail("${file}" ${key} "must not be empty")
  endif()
  if(NOT value MATCHES "^[ -~]+$" OR value MATCHES "[\"\\\\$]")
    _velmora_operator_fail("${file}" ${key} "\"${value}\" must be printable ASCII without \", \\ or $")
  endif()
endfunction()

function(velmora_read_operator_file file)
  if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
    _velmora_operator_fail("${file}" "(file)" "no such file")
  endif()
  get_filename_component(dir "${file}" DIRECTORY)
  file(READ "${file}" text)
  # Lines; a ; in a comment must not split one.
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  set(seen "")
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*([A-Za-z0-9_]+)[ \t]*=[ \t]*(.*)$")
      _velmora_operator_fail("${file}" "line ${number}" "expected \"key = value\"")
    endif()
    set(key "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" value)
    if(NOT key IN_LIST VELMORA_OPERATOR_KEYS)
      _velmora_operator_fail("${file}" ${key} "unknown key (line ${number})")
    endif()
    if(key IN_LIST seen)
      _velmora_operator_fail("${file}" ${key} "given twice (line ${number})")
    endif()
    if(value MATCHES "<semicolon>")
      _velmora_operator_fail("${file}" ${key} "a value cannot hold ;")
    endif()
    list(APPEND seen ${key})
    set(v_${key} "${value}")
  endforeach()
  foreach(key IN LISTS VELMORA_OPERATOR_KEYS)
    if(NOT key IN_LIST seen)
      _velmora_operator_fail("${file}" ${key} "missing")
    endif()
  endforeach()

  _velmora_check_url("${file}" portal_url "${v_portal_url}" path)
  _velmora_check_url("${file}" test_login_url "${v_test_login_url}" path)
  _velmora_check_url("${file}" cdn_base_url "${v_cdn_base_url}" path)
  if(NOT path STREQUAL "/pnox_cdn/")
    _velmora_operator_fail("${file}" cdn_base_url "the path of \"${v_cdn_base_url}\" must be /pnox_cdn/")
  endif()

  string(REGEX REPLACE "[ \t,]+" ";" game_sites "${v_game_sites}")
  list(REMOVE_ITEM game_sites "")
  foreach(site IN LISTS game_sites)
    _velmora_check_url("${file}" game_sites "${site}" path)
    if(NOT path STREQUAL "" AND NOT path STREQUAL "/")
      _velmora_operator_fail("${file}" game_sites "\"${site}\" must be a scheme and host only, without a path")
    endif()
  endforeach()

  string(REGEX REPLACE "[ \t,]+" ";" extra_hosts "${v_extra_hosts}")
  list(REMOVE_ITEM extra_hosts "")
  foreach(host IN LISTS extra_hosts)
    string(TOLOWER "${host}" lower)
    if(NOT lower MATCHES "${_VELMORA_HOST_RE}")
      _velmora_operator_fail("${file}" extra_hosts "\"${host}\" is not a host name or host:port")
    endif()
  endforeach()

  # The product name becomes the install folder and the shortcuts' names.
  _velmora_check_text("${file}" product_name "${v_product_name}")
  string(TOUPPER "${v_product_name}" upper)
  if(v_product_name MATCHES "[<>:/|?*]" OR v_product_name MATCHES "[. ]$" OR v_product_name MATCHES "^ "
     OR upper MATCHES "^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$")
    _velmora_operator_fail("${file}" product_name "\"${v_product_name}\" cannot be a folder name")
  endif()
  _velmora_check_text("${file}" company "${v_company}")
  _velmora_check_text("${file}" copyright "${v_copyright}")

  if(v_icon STREQUAL "")
    _velmora_operator_fail("${file}" icon "must not be empty")
  endif()
  get_filename_component(icon "${v_icon}" ABSOLUTE BASE_DIR "${dir}")
  if(NOT icon MATCHES "\\.[iI][cC][oO]$")
    _velmora_operator_fail("${file}" icon "\"${v_icon}\" is not an .ico file")
  endif()
  if(NOT EXISTS "${icon}" OR IS_DIRECTORY "${icon}")
    _velmora_operator_fail("${file}" icon "\"${icon}\" does not exist")
  endif()
  if(icon MATCHES "[\"\\\\$;]")
    _velmora_operator_fail("${file}" icon "\"${icon}\": the path cannot hold \", \\, $ or ;")
  endif()

  set(bad_version TRUE)
  if(v_version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    if(CMAKE_MATCH_1 LESS 65536 AND CMAKE_MATCH_2 LESS 65536 AND CMAKE_MATCH_3 LESS 65536)
      set(bad_version FALSE)
    endif()
  endif()
  if(bad_version)
    _velmora_operator_fail("${file}" version "\"${v_version}\" is not MAJOR.MINOR.PATCH (numbers up to 65535)")
  endif()

  if(NOT v_update_feed STREQUAL "")
    _velmora_check_url("${file}" update_feed "${v_update_feed}" path)
  endif()

  set(VELMORA_PORTAL_URL "${v_portal_url}" PARENT_SCOPE)
  set(VELMORA_TEST_LOGIN_URL "${v_test_login_url}" PARENT_SCOPE)
  set(VELMORA_CDN_BASE_URL "${v_cdn_base_url}" PARENT_SCOPE)
  set(VELMORA_GAME_SITES "${game_sites}" PARENT_SCOPE)
  set(VELMORA_EXTRA_HOSTS "${extra_hosts}" PARENT_SCOPE)
  set(VELMORA_PRODUCT "${v_product_name}" PARENT_SCOPE)
  set(VELMORA_COMPANY "${v_company}" PARENT_SCOPE)
  set(VELMORA_COPYRIGHT "${v_copyright}" PARENT_SCOPE)
  set(VELMORA_ICON "${icon}" PARENT_SCOPE)
  set(VELMORA_OPERATOR_VERSION "${v_version}" PARENT_SCOPE)
  set(VELMORA_UPDATE_FEED "${v_update_feed}" PARENT_SCOPE)
endfunction()

# The values as C literals; the checks above keep quotes and backslashes out.
function(velmora_write_operator_header out)
  set(game_sites "")
  foreach(site IN LISTS VELMORA_GAME_SITES)
    string(APPEND game_sites " \"${site}\",")
  endforeach()
  set(extra_hosts "")
  foreach(host IN LISTS VELMORA_EXTRA_HOSTS)
    string(APPEND extra_hosts " \"${host}\",")
  endforeach()
  set(content "// Made by cmake/Operator.cmake from ${VELMORA_OPERATOR_FILE}; do not edit.
#pragma once

#define VELMORA_OPERATOR_PORTAL_URL \"${VELMORA_PORTAL_URL}\"
#define VELMORA_OPERATOR_TEST_LOGIN_URL \"${VELMORA_TEST_LOGIN_URL}\"
#define VELMORA_OPERATOR_TEST_LOGIN_URL_W L\"${VELMORA_TEST_LOGIN_URL}\"
#define VELMORA_OPERATOR_CDN_BASE_URL \"${VELMORA_CDN_BASE_URL}\"
// Lists: the items of an array initialiser, each followed by a comma.
#define VELMORA_OPERATOR_GAME_SITES${game_sites}
#define VELMORA_OPERATOR_EXTRA_HOSTS${extra_hosts}
#define VELMORA_OPERATOR_PRODUCT \"${VELMORA_PRODUCT}\"
#define VELMORA_OPERATOR_PRODUCT_W L\"${VELMORA_PRODUCT}\"
#define VELMORA_OPERATOR_ICON \"${VELMORA_ICON}\"
#define VELMORA_OPERATOR_UPDATE_FEED \"${VELMORA_UPDATE_FEED}\"
")
  # Rewritten only when it changes, so a reconfigure recompiles nothing.
  file(WRITE "${out}.tmp" "${content}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${out}.tmp" "${out}")
  file(REMOVE "${out}.tmp")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT VELMORA_OPERATOR_FILE)
    message(FATAL_ERROR "usage: cmake -DVELMORA_OPERATOR_FILE=FILE -P cmake/Operator.cmake")
  endif()
  velmora_read_operator_file("${VELMORA_OPERATOR_FILE}")
  if(VELMORA_OPERATOR_HEADER)
    get_filename_component(dir "${VELMORA_OPERATOR_HEADER}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    velmora_write_operator_header("${VELMORA_OPERATOR_HEADER}")
  else()
    message(NOTICE "operator file ${VELMORA_OPERATOR_FILE}: ${VELMORA_PRODUCT} ${VELMORA_OPERATOR_VERSION}, "
                   "portal ${VELMORA_PORTAL_URL}")
  endif()
endif()
