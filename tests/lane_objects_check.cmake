# Checks the objects of one instruction set's build of the lane routines
# (cmake -DNM=nm -DOBJDUMP=objdump -DTAG=Avx512 -DOBJECTS="a.o;b.o" -P ...):
#  - every symbol they define for the linker names the instruction set's pack
#    type, so the linker can never take one of them for a routine of the
#    ordinary build or of another instruction set (a scalar routine compiled
#    with AVX-512 instructions would crash a processor without them);
#  - no instruction is a fused multiply-add (the build forbids contraction:
#    every lane must round as the scalar code does);
#  - no routine of a vector math library is called (those round the
#    transcendental functions differently from the C library).
foreach(variable NM OBJDUMP TAG OBJECTS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "lane_objects_check: ${variable} is not set")
  endif()
endforeach()

set(faults "")
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} -C --defined-only ${object}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${symbols}")
  foreach(line IN LISTS lines)
    # Global symbols: upper-case types, and u (unique global); lower case is
    # local. DW.ref.__gxx_personality_v0 is no routine: a data word that holds
    # the address of the C++ exception personality routine, the same in every
    # object.
    if(line MATCHES "^[0-9a-f]+ [A-Zu] (.*)$")
      set(symbol "${CMAKE_MATCH_1}")
      string(FIND "${symbol}" "${TAG}" at)
      if(at EQUAL -1 AND NOT symbol STREQUAL "DW.ref.__gxx_personality_v0")
        string(APPEND faults "  ${object}: defines '${symbol}', which does not name ${TAG}\n")
      endif()
    endif()
  endforeach()

  execute_process(COMMAND ${NM} --undefined-only ${object} OUTPUT_VARIABLE undefined)
  if(undefined MATCHES "_ZGV[A-Za-z0-9_]*")
    string(APPEND faults "  ${object}: calls the vector math routine ${CMAKE_MATCH_0}\n")
  endif()

  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${object} OUTPUT_VARIABLE code)
  if(code MATCHES "vfn?m(add|sub)[a-z0-9]*")
    string(APPEND faults "  ${object}: holds the fused multiply-add ${CMAKE_MATCH_0}\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "The ${TAG} lane objects are unsafe to link:\n${faults}")
endif()
list(LENGTH OBJECTS count)
message(STATUS "${count} ${TAG} lane objects: every defined symbol names ${TAG}; no fused multiply-add; no vector math call")
