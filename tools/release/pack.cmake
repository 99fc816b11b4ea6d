# Packs a release: NAME.EXTENSION (the stripped PROGRAMS, README.txt from README_TEMPLATE and
# the licence) and NAME-symbols.EXTENSION (their debug sections) in OUT; EXTENSION is zip or
# tar.gz, and the texts' line ends are CRLF for Windows or LF. Refuses when CHANGELOG.md's
# newest entry is not VERSION, so no release ships under one version while the changelog
# names another.
# cmake -DVERSION=... -DNAME=... -DPROGRAMS=a,b -DREADME_TEMPLATE=... -DEXTENSION=zip|tar.gz
#       -DNEWLINE=CRLF|LF -DSTRIP=... -DOBJCOPY=... -DSOURCE=... -DOUT=... -P pack.cmake

file(READ ${SOURCE}/CHANGELOG.md changelog)
string(REGEX MATCH "\n## \\[?([^] \n]+)" newest "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest entry is \"${CMAKE_MATCH_1}\", but the project's "
                        "version is ${VERSION}: add an entry for ${VERSION} (or fix project())")
endif()
# The archive's files carry that entry's date, the release date, not the time of packing.
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

string(REPLACE "," ";" PROGRAMS "${PROGRAMS}")
# Windows editors expect CR LF, as the Linux archive's readers expect LF. (CMake drops any
# CR from text it reads.)
function(copy_text from to)
    file(READ ${from} text)
    if(NEWLINE STREQUAL "CRLF")
        string(REPLACE "\n" "\r\n" text "${text}")
    endif()
    file(WRITE ${to} "${text}")
endfunction()

set(stage ${OUT}/${NAME})
set(debug ${OUT}/${NAME}-symbols)
file(REMOVE_RECURSE ${stage} ${debug})
file(MAKE_DIRECTORY ${stage} ${debug})

set(files "")
set(debug_files "")
foreach(binary ${PROGRAMS})
    get_filename_component(file ${binary} NAME)
    list(APPEND files ${file})
    list(APPEND debug_files ${file}.debug)
    run(${OBJCOPY} --only-keep-debug ${binary} ${debug}/${file}.debug)
    # The symbol table goes too: it alone is a megabyte, and the symbols file keeps it.
    run(${STRIP} --strip-all ${binary} -o ${stage}/${file})
    # The link lets a debugger find the symbols file beside the stripped program.
    run(${OBJCOPY} --add-gnu-debuglink=${debug}/${file}.debug ${stage}/${file})
endforeach()

set(PROJECT_VERSION ${VERSION})
# The title's underline as long as the title, whatever the version.
file(STRINGS ${README_TEMPLATE} title LIMIT_COUNT 1)
string(CONFIGURE "${title}" title @ONLY)
string(LENGTH "${title}" title_length)
string(REPEAT "=" ${title_length} TITLE_UNDERLINE)
configure_file(${README_TEMPLATE} ${stage}/README.txt @ONLY NEWLINE_STYLE ${NEWLINE})
copy_text(${SOURCE}/LICENSE ${stage}/LICENSE.txt)
list(APPEND files README.txt LICENSE.txt)

if(EXTENSION STREQUAL "zip")
    set(create cf)
    set(format zip)
else()
    set(create czf)
    set(format gnutar)
endif()
file(REMOVE ${OUT}/${NAME}.${EXTENSION} ${OUT}/${NAME}-symbols.${EXTENSION})
# Flat: a player extracts it straight into the game folder.
run(${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar ${create}
    ${OUT}/${NAME}.${EXTENSION} --format=${format} --mtime=${date} ${files})
run(${CMAKE_COMMAND} -E chdir ${debug} ${CMAKE_COMMAND} -E tar ${create}
    ${OUT}/${NAME}-symbols.${EXTENSION} --format=${format} --mtime=${date} ${debug_files})
message(STATUS "Packed ${OUT}/${NAME}.${EXTENSION} and ${NAME}-symbols.${EXTENSION}")
