# Fails when LIBRARY refers to a heap allocation function: operator new, the C allocators,
# strdup, exceptions, or the standard string and containers' growth.
execute_process(COMMAND ${NM} -u ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL
       "U (_Znw[A-Za-z0-9_]*|_Zna[A-Za-z0-9_]*|malloc|calloc|realloc|aligned_alloc|posix_memalign|strdup|strndup|__cxa_allocate_exception|_ZNSt7__cxx1112basic_string[A-Za-z0-9_]*|_ZNSt6vector[A-Za-z0-9_]*)\n"
       found "${symbols}")
if(found)
  message(FATAL_ERROR "the logic refers to allocation functions:\n${found}")
endif()
message(STATUS "the logic refers to no allocation function")
