# Run by CPack on the staged files, before it makes the package: strips the programs as Debian's
# dh_strip does, symbols and the compiler's .comment and .note sections alike.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_PORTOLAN_STRIP} --remove-section=.comment --remove-section=.note
                          ${program}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot strip ${program}")
  endif()
endforeach()
