# Checks that objects of the engine call none of the C library's
# transcendental functions (cmake -DNM=nm -DOBJECTS="a.o;b.o" -P ...): every
# exp, log, pow, sine, cosine, arctangent, ... of the field models, the
# frames, the start state and the integrator goes through the math layer
# (numerics/math.hpp), whose SLEEF routines give the same bits on every
# machine. The C library's round differently between its versions and
# between processors with and without fused multiply-add. Its exact
# operations (sqrt, fabs, floor, fmod, ldexp, nextafter, ...) are not
# checked: every correct implementation gives their bits.
foreach(variable NM OBJECTS)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "engine_math_check: ${variable} is not set")
  endif()
endforeach()

# The C library's transcendental functions, in double, float and long double, with the names of their old finite-argument entry
# points; and its vector routines (_ZGV...).
set(stems exp exp2 exp10 expm1 log log2 log10 log1p pow sin cos tan sincos asin acos atan atan2 sinh cosh tanh
          asinh acosh atanh cbrt hypot erf erfc tgamma lgamma)
list(JOIN stems "|" alternatives)
set(forbidden "^(__)?(${alternatives})[fl]?(_finite)?$|^_ZGV")

set(faults "")
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} --undefined-only ${object} OUTPUT_VARIABLE undefined RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${undefined}")
  foreach(line IN LISTS lines)
    if(line MATCHES "U ([A-Za-z0-9_.@]+)$")
      string(REGEX REPLACE "@.*" "" routine "${CMAKE_MATCH_1}")
      if(routine MATCHES "${forbidden}")
        string(APPEND faults "  ${object}: calls the C library's ${routine}\n")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Engine objects call the C library's transcendental functions:\n${faults}")
endif()
list(LENGTH OBJECTS count)
message(STATUS "${count} engine objects: no call of the C library's transcendental functions")
