# Extracts the Linux release ARCHIVE into an empty FOLDER and checks that it holds exactly
# the stripped, statically linked ostrevane, a readme of this VERSION in 80 columns with LF
# line ends, and the licence; then runs the command there as a player would on a settings
# file of their own: --version, default, check and set.
# cmake -DARCHIVE=... -DVERSION=... -DOBJDUMP=... -DFOLDER=... -P release_linux_archive.cmake
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ARCHIVE} WORKING_DIRECTORY ${FOLDER}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${ARCHIVE} does not extract")
endif()
file(GLOB files RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT files)
if(NOT files STREQUAL "LICENSE.txt;README.txt;ostrevane")
    message(FATAL_ERROR "The archive holds:\n  ${files}\nexpected LICENSE.txt, README.txt, ostrevane")
endif()

execute_process(COMMAND ${OBJDUMP} -h -p ${FOLDER}/ostrevane OUTPUT_VARIABLE headers)
if(headers MATCHES "\\.debug_")
    message(FATAL_ERROR "ostrevane in the archive still carries debug sections")
endif()
# A library it needed would have to be on the player's system, in a version that fits.
if(headers MATCHES "NEEDED|INTERP")
    message(FATAL_ERROR "ostrevane in the archive needs libraries:\n${headers}")
endif()

file(READ ${FOLDER}/README.txt readme)
if(NOT readme MATCHES "^Ostrevane ${VERSION} ")
    message(FATAL_ERROR "README.txt does not open with the version")
endif()
if(readme MATCHES "\r")
    message(FATAL_ERROR "README.txt has a CR, where a Linux reader expects LF line ends")
endif()
string(REPEAT "[^\n]" 81 too_wide)
string(REGEX MATCH "[^\n]*${too_wide}[^\n]*" wide "${readme}")
if(wide)
    message(FATAL_ERROR "README.txt has a line wider than 80 columns: ${wide}")
endif()

function(ostrevane expected_output)
    execute_process(COMMAND ./ostrevane ${ARGN} WORKING_DIRECTORY ${FOLDER}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT output MATCHES "${expected_output}")
        list(JOIN ARGN " " line)
        message(FATAL_ERROR "ostrevane ${line} exited ${status}, saying:\n${output}")
    endif()
endfunction()
# One line and nothing after it: off Windows no terminal closes as the command ends, so it
# never asks for Enter.
ostrevane("^Ostrevane ${VERSION}, swap engine on this CPU: [A-Z0-9-]+\n$" --version)
ostrevane("Wrote the default settings file" default -o Ostrevane.ini)
ostrevane("No warnings" check)
ostrevane("Set newcamera to \"Camera37\"" set newcamera Camera37)
file(STRINGS ${FOLDER}/Ostrevane.ini camera REGEX "^newcamera=")
if(NOT camera MATCHES "^newcamera=Camera37 ")
    message(FATAL_ERROR "set left ${camera}")
endif()
