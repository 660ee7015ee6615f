# Copies the unpacked CEF runtime into the executables' folder, if present.
if(NOT EXISTS "${SRC}/libcef.dll")
  message(STATUS "CEF runtime not found in ${SRC}: run scripts/setup.d/cef-runtime.sh")
  return()
endif()
file(GLOB entries "${SRC}/*")
file(COPY ${entries} DESTINATION "${DST}")
