# Each case spoils one table the way a person filling in the game's values might, and
# expects the generator to refuse with the given message and leave its output untouched.
#   cmake -DGENERATOR=... -DDATA=... -DWORK=... -P check_rejects.cmake
set(cases
    "dof.txt|MaxPixelDepth                           90|MaxPixelDepth 1234567890123|too long for the column 217"
    "shake_loops.txt|UseSpecialCaseEnvelopeReset false\n\nfamily5|UseSpecialCaseEnvelopeReset ?\n\nfamily5|not 392"
    "shake_loops.txt|    AttackDuration              1000|    AttackDelay 1000|expected field AttackDuration"
    "cameras.txt|THIRD_PERSON_FAR CINEMATIC|CINEMATIC THIRD_PERSON_FAR|misordered flag"
    "cameras.txt|hash_1ABDE030|hash_1abde030|must be \\?, - or hash_XXXXXXXX"
    "dof.txt|DOF34 0xA7346D53|DOF34 0xA7346D5|hash must be"
    "shakes.txt|sky_diving_shake\n|sky_diving_shake extra words\n|expected a name and a hash"
)
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 file)
    list(GET fields 1 original)
    list(GET fields 2 spoiled)
    list(GET fields 3 message)
    string(REPLACE "\\n" "\n" original "${original}")
    string(REPLACE "\\n" "\n" spoiled "${spoiled}")
    file(REMOVE_RECURSE "${WORK}")
    file(COPY "${DATA}/" DESTINATION "${WORK}/data")
    file(READ "${WORK}/data/${file}" text)
    string(FIND "${text}" "${original}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "case '${message}': '${original}' is not in ${file}")
    endif()
    string(REPLACE "${original}" "${spoiled}" text "${text}")
    file(WRITE "${WORK}/data/${file}" "${text}")
    file(WRITE "${WORK}/out.cpp" "left alone\n")
    execute_process(COMMAND "${GENERATOR}" "${WORK}/data" "${WORK}/out.cpp"
                    RESULT_VARIABLE result ERROR_VARIABLE error)
    file(READ "${WORK}/out.cpp" out)
    if(result EQUAL 0 OR NOT error MATCHES "${message}" OR NOT out STREQUAL "left alone\n")
        message(FATAL_ERROR "case '${message}': exit ${result}, said: ${error}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
