# A stand-in for the hook (ScriptHookV.dll) and a stand-in game that loads Ostrevane.asi
# beside it: for the Wine tests, the demonstration and the plug-in's benchmark. Included by
# tests/win32, so that all of them are built into one folder, where Windows finds the hook
# and the plug-in beside each program.

# The stand-in hook, under the real hook's file name, so the plug-in's imports find it: its
# .def binds each of the hook's names to our StandIn function (StandInScriptWait for
# ?scriptWait@@...).
set(exports "")
foreach(decorated IN LISTS OSTREVANE_SCRIPT_HOOK_NAMES)
    ostrevane_script_hook_plain_name(${decorated} plain)
    string(SUBSTRING ${plain} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${plain} 1 -1 rest)
    list(APPEND exports "    ${decorated} = StandIn${first}${rest}")
endforeach()
list(JOIN exports "\n" STANDIN_HOOK_EXPORTS)
configure_file(${CMAKE_CURRENT_LIST_DIR}/standin_hook.def.in standin_hook.def @ONLY)
add_library(standin_hook SHARED ${CMAKE_CURRENT_LIST_DIR}/standin_hook.cpp ${CMAKE_CURRENT_BINARY_DIR}/standin_hook.def)
cmake_path(GET OSTREVANE_SCRIPT_HOOK_DLL STEM hook_stem)
set_target_properties(standin_hook PROPERTIES OUTPUT_NAME ${hook_stem} PREFIX "")
target_include_directories(standin_hook PUBLIC ${PROJECT_SOURCE_DIR})
ostrevane_warnings(standin_hook)

# The plug-in goes beside the stand-in game and hook, as it goes beside the game.
set(plugin_copy ${CMAKE_CURRENT_BINARY_DIR}/${OSTREVANE_PLUGIN_FILE})
add_custom_command(OUTPUT ${plugin_copy}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Ostrevane> ${plugin_copy}
    DEPENDS Ostrevane
    COMMENT "Putting ${OSTREVANE_PLUGIN_FILE} beside the stand-in game")
add_custom_target(plugin_beside_standin ALL DEPENDS ${plugin_copy})

add_library(standin_game STATIC ${CMAKE_CURRENT_LIST_DIR}/host.cpp ${CMAKE_CURRENT_LIST_DIR}/churn.cpp)
target_link_libraries(standin_game PUBLIC standin_hook)
target_compile_definitions(standin_game PUBLIC OSTREVANE_PLUGIN_FILE="${OSTREVANE_PLUGIN_FILE}")
add_dependencies(standin_game plugin_beside_standin)
ostrevane_warnings(standin_game)
