# cmake -DIN=<file> -DOUT=<file.gz> -P GzipFile.cmake: compresses IN into OUT the way Debian wants files
# under /usr/share/doc and /usr/share/man: best compression, no name and no time stamp in the header, so
# the same input always gives the same bytes.
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9 -n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip ${IN}: ${result}")
endif()
