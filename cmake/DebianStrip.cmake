# Run by CPack on the staged files, before it makes the package: strips the programs and the
# preload library as Debian's dh_strip does, symbols and the compiler's .comment and .note
# sections alike (a library keeps the symbols it exports). Files that are not ELF (the wrapper
# script) are left as they are.
function(portolan_strip file)
  file(READ ${file} magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    return()
  endif()
  execute_process(COMMAND ${CPACK_PORTOLAN_STRIP} --remove-section=.comment
                          --remove-section=.note ${ARGN} ${file}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot strip ${file}")
  endif()
endfunction()

file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
  portolan_strip(${program})
endforeach()
file(GLOB_RECURSE libraries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/lib/*.so")
foreach(library ${libraries})
  portolan_strip(${library} --strip-unneeded)
endforeach()
