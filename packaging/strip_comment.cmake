# Run by cpack on the staged files, after its own strip: removes the compilers' version notes in
# the .comment section of the program and its libraries, as Debian's own packaging does.
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so")
foreach(binary IN LISTS binaries)
  execute_process(COMMAND "${CPACK_STRIP_COMMAND}" --remove-section=.comment "${binary}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
