# Packs the release: NAME.zip (the stripped programs, README.txt, LICENSE.txt) and
# NAME-symbols.zip (their debug sections) in OUT. Refuses when CHANGELOG.md's newest entry
# is not VERSION, so the zip never ships under one version while the changelog names another.
# cmake -DVERSION=... -DNAME=... -DASI=... -DEXE=... -DSTRIP=... -DOBJCOPY=... -DSOURCE=...
#       -DOUT=... -P pack.cmake

file(READ ${SOURCE}/CHANGELOG.md changelog)
string(REGEX MATCH "\n## \\[?([^] \n]+)" newest "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest entry is \"${CMAKE_MATCH_1}\", but the project's "
                        "version is ${VERSION}: add an entry for ${VERSION} (or fix project())")
endif()
# The zip's files carry that entry's date, the release date, not the time of packing.
string(REGEX MATCH "\n## [^\n]* ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])" dated "${changelog}")
set(date "${CMAKE_MATCH_1}")
if(NOT date)
    message(FATAL_ERROR "CHANGELOG.md's newest entry has no date (## ${VERSION} - YYYY-MM-DD)")
endif()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
    if(failed)
        list(JOIN ARGN " " line)
        message(FATAL_ERROR "Packing failed: ${line}")
    endif()
endfunction()

# Windows editors expect CR LF. (CMake drops any CR from text it reads.)
function(copy_crlf from to)
    file(READ ${from} text)
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${to} "${text}")
endfunction()

get_filename_component(asi_file ${ASI} NAME)
get_filename_component(exe_file ${EXE} NAME)
set(stage ${OUT}/${NAME})
set(debug ${OUT}/${NAME}-symbols)
file(REMOVE_RECURSE ${stage} ${debug})
file(MAKE_DIRECTORY ${stage} ${debug})

foreach(binary ${ASI} ${EXE})
    get_filename_component(file ${binary} NAME)
    run(${OBJCOPY} --only-keep-debug ${binary} ${debug}/${file}.debug)
    # The symbol table goes too: it alone is a megabyte, and the symbols file keeps it.
    run(${STRIP} --strip-all ${binary} -o ${stage}/${file})
    # The link lets a debugger find the symbols file beside the stripped program.
    run(${OBJCOPY} --add-gnu-debuglink=${debug}/${file}.debug ${stage}/${file})
endforeach()

set(PROJECT_VERSION ${VERSION})
# The title's underline as long as the title, whatever the version.
string(LENGTH "Ostrevane ${VERSION}" title_length)
string(REPEAT "=" ${title_length} TITLE_UNDERLINE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${stage}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
copy_crlf(${SOURCE}/LICENSE ${stage}/LICENSE.txt)

file(REMOVE ${OUT}/${NAME}.zip ${OUT}/${NAME}-symbols.zip)
# Flat: a player extracts it straight into the game folder.
run(${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${OUT}/${NAME}.zip
    --format=zip --mtime=${date} ${asi_file} ${exe_file} README.txt LICENSE.txt)
run(${CMAKE_COMMAND} -E chdir ${debug} ${CMAKE_COMMAND} -E tar cf ${OUT}/${NAME}-symbols.zip
    --format=zip --mtime=${date} ${asi_file}.debug ${exe_file}.debug)
message(STATUS "Packed ${OUT}/${NAME}.zip and ${NAME}-symbols.zip")
