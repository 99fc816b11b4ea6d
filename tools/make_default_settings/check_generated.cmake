# Fails unless the committed default settings text is exactly what the generator makes of
# its tables. Run by ctest:
#   cmake -DGENERATOR=... -DDATA=... -DCOMMITTED=... -DOUTPUT=... -P check_generated.cmake
execute_process(COMMAND "${GENERATOR}" "${DATA}" "${OUTPUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make_default_settings failed on ${DATA}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${COMMITTED}" "${OUTPUT}"
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "${COMMITTED} is not the generator's output: run "
                        "`cmake --build <build folder> --target default_settings_text` and commit")
endif()
