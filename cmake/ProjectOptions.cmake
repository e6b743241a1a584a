# Interface targets linked to every project target: warnings, and the
# sanitizers when GRIP_SANITIZE is on. The gripfit plug-in links only the
# warnings: a MATLAB or Octave host does not load the sanitizer runtime.

add_library(grip_warnings INTERFACE)
target_compile_options(grip_warnings INTERFACE -Wall -Wextra -Wpedantic)

add_library(grip_sanitizers INTERFACE)
if(GRIP_SANITIZE)
  target_compile_options(grip_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(grip_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

add_library(grip_options INTERFACE)
target_link_libraries(grip_options INTERFACE grip_warnings grip_sanitizers)
