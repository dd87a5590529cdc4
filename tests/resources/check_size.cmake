# Fails when PROGRAM is larger than MAX_BYTES: a resident utility that is
# loaded all day long has no reason to grow.
#   cmake -DPROGRAM=Velmora.exe -DMAX_BYTES=204800 -P check_size.cmake
file(SIZE "${PROGRAM}" size)
if(size GREATER MAX_BYTES)
  message(FATAL_ERROR "${PROGRAM} is ${size} bytes, more than ${MAX_BYTES}")
endif()
message(STATUS "${PROGRAM}: ${size} bytes, at most ${MAX_BYTES}")
