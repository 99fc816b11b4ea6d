# Extracts the release ZIP into an empty game folder and checks that it holds exactly what a
# player needs, the plug-in's file PLUGIN among it, without debug sections and with a readme
# of this VERSION; then runs TEST there under WINE: the stand-in game loads the plug-in from
# that folder, and runs ostrevane.exe there.
# cmake -DZIP=... -DVERSION=... -DPLUGIN=... -DFOLDER=... -DOBJDUMP=... -DWINE=... -DTEST=...
#       -P release_zip.cmake
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${FOLDER}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${ZIP} does not extract")
endif()
file(GLOB_RECURSE files RELATIVE ${FOLDER} LIST_DIRECTORIES true ${FOLDER}/*)
list(SORT files)
set(expected LICENSE.txt ${PLUGIN} OstrevaneSettings.exe README.txt ostrevane.exe)
list(SORT expected)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "The zip holds:\n  ${files}\nexpected:\n  ${expected}")
endif()

foreach(binary ${PLUGIN} ostrevane.exe OstrevaneSettings.exe)
    execute_process(COMMAND ${OBJDUMP} -h ${FOLDER}/${binary} OUTPUT_VARIABLE sections)
    if(sections MATCHES "\\.debug_")
        message(FATAL_ERROR "${binary} in the zip still carries debug sections")
    endif()
endforeach()
# The window a player double-clicks must open no console beside it.
execute_process(COMMAND ${OBJDUMP} -p ${FOLDER}/OstrevaneSettings.exe OUTPUT_VARIABLE headers)
if(NOT headers MATCHES "Subsystem[\t ]+0*2[\t ]+\\(Windows GUI\\)")
    message(FATAL_ERROR "OstrevaneSettings.exe in the zip is not a Windows GUI program")
endif()
file(STRINGS ${FOLDER}/README.txt title LIMIT_COUNT 1)
if(NOT title STREQUAL "Ostrevane ${VERSION}")
    message(FATAL_ERROR "README.txt opens with \"${title}\", not with the version")
endif()
# Read in Notepad or a terminal of 80 columns: no line wider, the title's underline as long
# as the title.
file(READ ${FOLDER}/README.txt readme)
string(REGEX REPLACE "." "=" title_underline "${title}")
string(REGEX MATCH "^[^\r\n]*\r?\n([^\r\n]*)" opening "${readme}")
if(NOT CMAKE_MATCH_1 STREQUAL title_underline)
    message(FATAL_ERROR "README.txt's title is underlined by \"${CMAKE_MATCH_1}\"")
endif()
string(REPEAT "[^\r\n]" 81 too_wide)
string(REGEX MATCH "[^\r\n]*${too_wide}[^\r\n]*" wide "${readme}")
if(wide)
    message(FATAL_ERROR "README.txt has a line wider than 80 columns: ${wide}")
endif()
foreach(text README.txt LICENSE.txt)
    # As hexadecimal bytes, each after a space: CMake drops CR from text it reads.
    file(READ ${FOLDER}/${text} bytes HEX)
    string(REGEX REPLACE "(..)" " \\1" bytes "${bytes}")
    string(REPLACE " 0d 0a" "" bytes "${bytes}")
    if(bytes MATCHES " 0a")
        message(FATAL_ERROR "${text} has a line that does not end in CR LF")
    endif()
endforeach()

execute_process(COMMAND ${WINE} ${TEST} WORKING_DIRECTORY ${FOLDER} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "The release did not run from the game folder")
endif()
