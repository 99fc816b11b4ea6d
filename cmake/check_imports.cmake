# Checks what a Windows binary asks of the player's machine: its import table may name only
# the DLLs in ALLOWED, and from the hook's DLL, HOOK, exactly HOOK_NAMES, if given (then it
# must export nothing); VERSION_TEXT, if given, must stand in its version resource.
# cmake -DOBJDUMP=... -DBINARY=... -DALLOWED=A.dll,B.dll [-DHOOK=H.dll -DHOOK_NAMES=n1,n2]
#       [-DVERSION_TEXT=...] -P check_imports.cmake
string(REPLACE "," ";" ALLOWED "${ALLOWED}")
string(REPLACE "," ";" HOOK_NAMES "${HOOK_NAMES}")
execute_process(COMMAND ${OBJDUMP} -p ${BINARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${BINARY}")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" dll_lines "${dump}")
set(names "")
foreach(line IN LISTS dll_lines)
    string(REPLACE "DLL Name: " "" name "${line}")
    string(TOUPPER "${name}" upper)
    list(APPEND names ${name})
    set(allowed FALSE)
    foreach(ok IN LISTS ALLOWED)
        string(TOUPPER "${ok}" ok)
        if(upper STREQUAL ok)
            set(allowed TRUE)
        endif()
    endforeach()
    if(NOT allowed)
        message(FATAL_ERROR "${BINARY} imports ${name}, which a player would have to supply")
    endif()
endforeach()
message(STATUS "${BINARY} imports: ${names}")

if(HOOK_NAMES)
    # The hook's block: from its "DLL Name" line to the blank line that ends it.
    string(REPLACE "." "[.]" hook "${HOOK}")
    string(REGEX MATCH "DLL Name: ${hook}[^\n]*\n[^\n]*\n(([^\n]+\n)*)" block "${dump}")
    string(REGEX MATCHALL "[?][^ \t\r\n]+" imported "${CMAKE_MATCH_1}")
    list(SORT imported)
    set(expected ${HOOK_NAMES})
    list(SORT expected)
    if(NOT imported STREQUAL expected)
        message(FATAL_ERROR "${BINARY} imports from the hook:\n  ${imported}\nexpected:\n  ${expected}")
    endif()
endif()

# Each exported function is one "+base[" entry of the export address table.
string(FIND "${dump}" "+base[" exports)
if(NOT exports EQUAL -1 AND HOOK_NAMES)
    message(FATAL_ERROR "${BINARY} exports functions; the plug-in should export none")
endif()

if(DEFINED VERSION_TEXT)
    file(STRINGS ${BINARY} found ENCODING UTF-16LE REGEX "${VERSION_TEXT}")
    if(NOT found)
        message(FATAL_ERROR "${BINARY} has no version resource saying \"${VERSION_TEXT}\"")
    endif()
endif()
