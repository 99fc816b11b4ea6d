# The script hook's six exports, under the names its C++ compiler gave them: the one list
# from which the plug-in's import library, the Wine tests' stand-in hook and the imports
# check all take them.
set(OSTREVANE_SCRIPT_HOOK_NAMES
    ?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z
    ?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z
    ?scriptWait@@YAXK@Z
    ?nativeInit@@YAX_K@Z
    ?nativePush64@@YAX_K@Z
    ?nativeCall@@YAPEA_KXZ)

# Sets `out` to the plain name in a decorated one: scriptWait in ?scriptWait@@YAXK@Z.
function(ostrevane_script_hook_plain_name decorated out)
    string(REGEX MATCH "^\\?([A-Za-z0-9_]+)@@" match "${decorated}")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# Makes the import library for the script hook, whose DLL is `dll`, from the list above.
#
# The hook exports C++ functions under MSVC's decorated names. MSVC decorates our own
# declarations identically, so `lib /def:` takes the names as they are. GCC decorates
# differently, so for MinGW each line becomes `plainName == ?decorated@@name`: dlltool
# then binds the plain C symbol in our code to the decorated import.
function(ostrevane_script_hook_import_library target dll)
    set(text "EXPORTS\n")
    foreach(decorated IN LISTS OSTREVANE_SCRIPT_HOOK_NAMES)
        if(MSVC)
            string(APPEND text "    ${decorated}\n")
        else()
            ostrevane_script_hook_plain_name(${decorated} plain)
            string(APPEND text "    ${plain} == ${decorated}\n")
        endif()
    endforeach()
    set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    file(GENERATE OUTPUT ${def_file} CONTENT "${text}")
    if(MSVC)
        set(lib ${CMAKE_CURRENT_BINARY_DIR}/${target}.lib)
        add_custom_command(OUTPUT ${lib}
            COMMAND lib /nologo /machine:x64 /def:${def_file} /name:${dll} /out:${lib}
            DEPENDS ${def_file})
    else()
        find_program(OSTREVANE_DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool dlltool
                     REQUIRED)
        set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
        add_custom_command(OUTPUT ${lib}
            COMMAND ${OSTREVANE_DLLTOOL} -d ${def_file} -D ${dll} -l ${lib}
            DEPENDS ${def_file})
    endif()
    add_custom_target(${target}_build DEPENDS ${lib})
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
    add_dependencies(${target} ${target}_build)
endfunction()
