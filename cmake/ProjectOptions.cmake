# Interface targets linked to every project target: warnings, and the
# sanitizers when GRIP_SANITIZE is on. The gripfit plug-in links only the
# warnings: a MATLAB or Octave host does not load the sanitizer runtime.

add_library(grip_warnings INTERFACE)
target_compile_options(grip_warnings INTERFACE -Wall -Wextra -Wpedantic)

# The fuzz targets need the sanitizers in every library they link, and
# clang's fuzzer coverage there too (fuzzer-no-link: the libraries get the
# coverage hooks, only the fuzz programs link libFuzzer's main).
if(GRIP_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "GRIP_BUILD_FUZZ needs clang (libFuzzer): configure with the preset fuzz "
                        "or -DCMAKE_CXX_COMPILER=clang++.")
  endif()
  if(GRIP_BUILD_OCTAVE_MEX OR GRIP_BUILD_MATLAB_MEX)
    message(FATAL_ERROR "GRIP_BUILD_FUZZ builds no plug-in: configure with -DGRIP_BUILD_OCTAVE_MEX=OFF.")
  endif()
  set(GRIP_SANITIZE ON)
endif()

add_library(grip_sanitizers INTERFACE)
if(GRIP_SANITIZE)
  # float-cast-overflow too: GCC leaves it out of "undefined" (a NaN or an
  # out-of-range real converted to an int is undefined all the same).
  target_compile_options(grip_sanitizers INTERFACE
    -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(grip_sanitizers INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()
if(GRIP_BUILD_FUZZ)
  target_compile_options(grip_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()

add_library(grip_options INTERFACE)
target_link_libraries(grip_options INTERFACE grip_warnings grip_sanitizers)
