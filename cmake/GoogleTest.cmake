# GoogleTest is built from Debian's sources with whichever compiler this
# build uses, so the same tests run natively and, through MinGW, under Wine.
set(VELMORA_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${VELMORA_GTEST_SRC}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing at ${VELMORA_GTEST_SRC}; run scripts/setup.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VELMORA_GTEST_SRC} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
enable_testing()
