# The image library exports exactly its ten routines and nothing else.
# Run as: cmake -DNM=<nm> -DLIB=<library> -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIB}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIB}: ${err}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${out}")
set(names)
foreach(line ${lines})
    string(REGEX REPLACE "^.* ([^ ]+)$" "\\1" name "${line}")
    list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected ABlend BlendVersion CPU_Speed FlipImageRGB24 GetCycleCount LBlend Rotate90
    deinterlaceFrame deinterlaceFrame2 linedouble)
list(SORT expected)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported names differ\n  got:      ${names}\n  expected: ${expected}")
endif()
message(STATUS "exports: ${names}")
