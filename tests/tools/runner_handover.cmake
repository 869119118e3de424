cmake_policy(SET CMP0007 NEW)
include(${CMAKE_CURRENT_LIST_DIR}/command_cases.cmake)
# mcbrun runs plain images on Qt's core alone and hands an image that may
# draw or call a device extension to mcbrun-devices beside it. A copy of
# mcbrun alone in a directory shows both: plain runs need nothing more, the
# others end with one line and status 1. One case per line:
#   RUNNER | IMAGE | STATUS | REGEX that standard output + error match
set(dir ${WORK}/runner_handover)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir}/lone)
file(COPY ${MCBRUN} DESTINATION ${dir}/lone)
get_filename_component(runner_name ${MCBRUN} NAME)
set(lone ${dir}/lone/${runner_name})

set(head ".method \"main\" code=main frame=Main\n.frame Main\n.string text \"ran\"\nmain:\n")
set(log_and_return "    pushstr text\n    native 30, 1\n    ret 0, 1\n")
# The graphics call and the extension call stand where nothing reaches them.
set(images
  "plain|${head}${log_and_return}"
  "graphics|${head}${log_and_return}    native 32, 10\n"
  "extension|${head}${log_and_return}    ext 36, 0\n"
  "torch|${head}    ext 36, 9\n${log_and_return}"
  "no_such_extension|${head}    push 97\n    ext 99, 0\n${log_and_return}")
foreach(image ${images})
  string(REPLACE "|" ";" fields "${image}")
  list(GET fields 0 name)
  list(GET fields 1 source)
  file(WRITE ${dir}/${name}.s "${source}")
  execute_process(COMMAND ${MCBASM} ${dir}/${name}.s -o ${dir}/${name}.mcb RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name}.s did not assemble")
  endif()
endforeach()

set(missing "^mcbrun: cannot start the device runner '${dir}/lone/mcbrun-devices': No such file or directory\n$")
set(cases
  "${lone}|${dir}/plain.mcb|0|^LOG: ran\n$"
  "${lone}|${dir}/graphics.mcb|1|${missing}"
  "${lone}|${dir}/extension.mcb|1|${missing}"
  "${MCBRUN}|${dir}/graphics.mcb|0|^LOG: ran\n$"
  "${MCBRUN}|${dir}/extension.mcb|0|^LOG: ran\n$"
  # Only the device runner knows the torch's operations.
  "${MCBRUN}|${dir}/torch.mcb|1|Torch: Unknown opcode!"
  # An id that names no extension is refused alike by both.
  "${lone}|${dir}/no_such_extension.mcb|1|^FATAL: .*Dll not supported at 7, "
  "${MCBRUN}-devices|${dir}/no_such_extension.mcb|1|^FATAL: .*Dll not supported at 7, ")

set(failures "")
check_command_cases(failures ${dir} ${cases})

# Whatever the runs did, the plain runner must not bring the libraries in.
execute_process(COMMAND ldd ${MCBRUN} OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR libraries MATCHES "libQt6Gui|libQt6Network|libpulse")
  string(APPEND failures "\nldd ${MCBRUN}: status ${status}\n${libraries}")
endif()
if(failures)
  message(FATAL_ERROR "runner hand-overs that went wrong:${failures}")
endif()
