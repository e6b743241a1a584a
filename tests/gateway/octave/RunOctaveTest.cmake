# Runs one Octave test script with the gripfit plug-in in a fresh working
# folder. The script fails the test by raising an error; when a .out file
# lies beside it, the standard output of octave-cli (the plug-in's messages
# from both the command window and the process) must equal it exactly.
# Variables: OCTAVE MEX_DIR SCRIPT WORK_DIR GRIPSIM EXAMPLES_DIR.

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
get_filename_component(script_dir "${SCRIPT}" DIRECTORY)
get_filename_component(script_name "${SCRIPT}" NAME_WE)
set(ENV{GRIPSIM} "${GRIPSIM}")
set(ENV{EXAMPLES_DIR} "${EXAMPLES_DIR}")

execute_process(
  COMMAND "${OCTAVE}" --norc --no-history --no-window-system --quiet
          --eval "addpath('${MEX_DIR}', '${script_dir}', '${EXAMPLES_DIR}/fit'); ${script_name}"
  WORKING_DIRECTORY "${WORK_DIR}"
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)

if(NOT status EQUAL 0 OR NOT errors STREQUAL "")  # a clean run prints nothing on stderr
  message(FATAL_ERROR "${script_name} failed (${status}) in ${WORK_DIR}\n--- stdout\n${output}--- stderr\n${errors}")
endif()
if(EXISTS "${script_dir}/${script_name}.out")
  file(READ "${script_dir}/${script_name}.out" expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "${script_name}: the printed text differs\n--- expected\n${expected}--- printed\n${output}")
  endif()
endif()
message(STATUS "${output}")
