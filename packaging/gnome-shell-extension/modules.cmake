# Makes the extension for GNOME Shell 45 and later, which loads extensions only as ES modules, from
# the one for GNOME Shell 43 and 44, so that both share one interface and one service: the
# imports become module imports, and the extension object a default export the shell constructs.
# Usage: cmake -DSOURCE=<extension folder> -DOUTPUT=<folder to write> -P modules.cmake
file(READ ${SOURCE}/extension.js script)
file(READ ${SOURCE}/metadata.json metadata)

function(replace_once pattern replacement text result)
    string(REGEX MATCH "${pattern}" found "${text}")
    if(NOT found)
        message(FATAL_ERROR "modules.cmake: the extension no longer matches ${pattern}")
    endif()
    string(REGEX REPLACE "${pattern}" "${replacement}" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

# const {Clutter, Gio} = imports.gi;  ->  one module import per library
string(REGEX MATCH "const {([A-Za-z, ]+)} = imports\\.gi;" gi_line "${script}")
if(NOT gi_line)
    message(FATAL_ERROR "modules.cmake: the extension no longer imports through imports.gi")
endif()
string(REPLACE ", " ";" libraries "${CMAKE_MATCH_1}")
set(gi_imports "")
foreach(library ${libraries})
    string(APPEND gi_imports "import ${library} from 'gi://${library}';\n")
endforeach()
string(APPEND gi_imports
    "import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';")
replace_once("const {[A-Za-z, ]+} = imports\\.gi;" "${gi_imports}" "${script}" script)
# const Main = imports.ui.main;  ->  the shell's module of that name
string(REGEX REPLACE "const ([A-Za-z]+) = imports\\.ui\\.([A-Za-z]+);"
    "import * as \\1 from 'resource:///org/gnome/shell/ui/\\2.js';" script "${script}")
# Modules are strict already.
replace_once("'use strict';\n\n" "" "${script}" script)
replace_once("\nclass Extension {" "\nexport default class KeyloomExtension extends Extension {"
    "${script}" script)
replace_once("\n\nfunction init\\(\\) {\n    return new Extension\\(\\);\n}\n" "\n" "${script}" script)
if(script MATCHES "imports\\.")
    message(FATAL_ERROR "modules.cmake: the extension uses imports the module form lacks")
endif()

replace_once("\"shell-version\": \\[[^]]*\\]" "\"shell-version\": [\"45\", \"46\", \"47\", \"48\"]"
    "${metadata}" metadata)

file(WRITE ${OUTPUT}/extension.js "${script}")
file(WRITE ${OUTPUT}/metadata.json "${metadata}")
