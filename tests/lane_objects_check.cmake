# Checks the objects of one instruction set's build of the lane routines
# (cmake -DNM=nm -DOBJDUMP=objdump -DTAG=Avx512 -DOBJECTS="a.o;b.o" -P ...):
#  - every symbol they define for the linker names the instruction set's pack
#    type, so the linker can never take one of them for a routine of the
#    ordinary build or of another instruction set (a scalar routine compiled
#    with AVX-512 instructions would crash a processor without them);
#  - no instruction is a fused multiply-add (the build forbids contraction:
#    every lane must round as the scalar code does);
#  - the only vector math routines called are the math layer's own
#    (numerics/math.hpp): SLEEF's routines without fused multiply-add at u10
#    accuracy, of the instruction set's width (Sleef_cinz_*d4_u10avx for
#    AVX2, Sleef_cinz_*d8_u10avx512fnofma for AVX-512); those give every
#    lane the one-value bits. Any other SLEEF routine (with fused
#    multiply-add, of another width or accuracy, or one value at a time) or
#    the C library's vector routines (_ZGV*) would round differently or
#    leave the lanes unused.
foreach(variable NM OBJDUMP TAG OBJECTS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "lane_objects_check: ${variable} is not set")
  endif()
endforeach()
if(TAG STREQUAL "Avx2")
  set(own_sleef "4_u10avx")
elseif(TAG STREQUAL "Avx512")
  set(own_sleef "8_u10avx512fnofma")
else()
  message(FATAL_ERROR "lane_objects_check: no SLEEF routines known for ${TAG}")
endif()

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
  string(REPLACE "\n" ";" lines "${undefined}")
  foreach(line IN LISTS lines)
    if(line MATCHES "U ((_ZGV|Sleef_)[A-Za-z0-9_]*)$")
      set(routine "${CMAKE_MATCH_1}")
      if(NOT routine MATCHES "^Sleef_cinz_[a-z0-9]+d${own_sleef}$")
        string(APPEND faults "  ${object}: calls the vector math routine ${routine}\n")
      endif()
    endif()
  endforeach()

  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${object} OUTPUT_VARIABLE code)
  if(code MATCHES "vfn?m(add|sub)[a-z0-9]*")
    string(APPEND faults "  ${object}: holds the fused multiply-add ${CMAKE_MATCH_0}\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "The ${TAG} lane objects are unsafe to link:\n${faults}")
endif()
list(LENGTH OBJECTS count)
message(STATUS "${count} ${TAG} lane objects: every defined symbol names ${TAG}; no fused multiply-add; "
               "no vector math call but the math layer's SLEEF routines")
