# Makes the import library for the script hook, whose DLL is `dll`, from platform/script_hook.def.
#
# The hook exports C++ functions under MSVC's decorated names. MSVC decorates our own
# declarations identically, so `lib /def:` takes the .def as it is. GCC decorates
# differently, so for MinGW each line becomes `plainName == ?decorated@@name`: dlltool
# then binds the plain C symbol in our code to the decorated import.
function(ostrevane_script_hook_import_library target def_file dll)
    if(MSVC)
        set(lib ${CMAKE_CURRENT_BINARY_DIR}/${target}.lib)
        add_custom_command(OUTPUT ${lib}
            COMMAND lib /nologo /machine:x64 /def:${def_file} /name:${dll} /out:${lib}
            DEPENDS ${def_file})
    else()
        file(READ ${def_file} text)
        string(REGEX REPLACE "\\?([A-Za-z0-9_]+)(@@[^\n\r ]*)" "\\1 == ?\\1\\2" text "${text}")
        set(bound_def ${CMAKE_CURRENT_BINARY_DIR}/${target}_mingw.def)
        file(WRITE ${bound_def} "${text}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_file})
        find_program(OSTREVANE_DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool dlltool
                     REQUIRED)
        set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
        add_custom_command(OUTPUT ${lib}
            COMMAND ${OSTREVANE_DLLTOOL} -d ${bound_def} -D ${dll} -l ${lib}
            DEPENDS ${bound_def})
    endif()
    add_custom_target(${target}_build DEPENDS ${lib})
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
    add_dependencies(${target} ${target}_build)
endfunction()
