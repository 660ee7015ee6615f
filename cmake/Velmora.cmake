# Shared build rules for every target of the project.

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

# Warnings are errors for our own code (not for third-party sources).
function(velmora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Adds every subfolder that has its own CMakeLists.txt.
function(velmora_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# velmora_add_test(NAME name SOURCES ... LIBS ... [WINDOWS_ONLY] [HOST_ONLY] [DESKTOP])
# Builds a GoogleTest executable and registers it with CTest. In the Windows
# build CTest runs it through scripts/wine-run.sh (or inside Wine's virtual
# desktop when DESKTOP is given).
function(velmora_add_test)
  cmake_parse_arguments(T "WINDOWS_ONLY;HOST_ONLY;DESKTOP" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(T_HOST_ONLY AND WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  velmora_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(WIN32)
    set(runner ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
    if(T_DESKTOP)
      set(runner ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh --desktop)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${runner} $<TARGET_FILE:${T_NAME}>
             WORKING_DIRECTORY $<TARGET_FILE_DIR:${T_NAME}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY $<TARGET_FILE_DIR:${T_NAME}>)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
