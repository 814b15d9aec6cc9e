# Every target of ours calls portolan_warnings(target).
function(portolan_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                           -Wnon-virtual-dtor -Wno-missing-field-initializers)
endfunction()
