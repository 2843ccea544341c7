cmake_minimum_required(VERSION 3.25)

# Fails when a source file under SOURCE_DIR includes a header of a layer above its own.
#   cmake -DSOURCE_DIR=<src> "-DLAYERS=base;platform;..." "-DBACKENDS=platform/sim;..."
#         -P check-layers.cmake
# LAYERS lists the folders lowest first; a folder may include its own layer and those below it.
# BACKENDS are the platform back-ends: one sees only base, platform and itself, and only app, the
# tools and ui/win32 (for platform/win32) include one. Folders below a layer belong to it unless
# they are layers or back-ends of their own; tools (a folder named "tool") rank as app.

function(layer_of folder out_kind out_rank)
    set(best "")
    foreach(entry IN LISTS LAYERS BACKENDS)
        if(folder STREQUAL entry OR folder MATCHES "^${entry}/")
            string(LENGTH "${entry}" len)
            string(LENGTH "${best}" best_len)
            if(len GREATER best_len)
                set(best ${entry})
            endif()
        endif()
    endforeach()
    if(folder MATCHES "(^|/)tool$")
        set(best app)
    endif()
    if(best STREQUAL "")
        set(${out_kind} "" PARENT_SCOPE)
        set(${out_rank} -1 PARENT_SCOPE)
        return()
    endif()
    list(FIND LAYERS ${best} rank)
    set(${out_kind} ${best} PARENT_SCOPE)
    set(${out_rank} ${rank} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp
     ${SOURCE_DIR}/*.inc)
set(faults "")
foreach(file IN LISTS files)
    get_filename_component(folder ${file} DIRECTORY)
    layer_of("${folder}" kind rank)
    if(kind STREQUAL "")
        string(APPEND faults "\n  ${file}: its folder is in no layer (add it to src/CMakeLists.txt)")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
        get_filename_component(header_folder ${header} DIRECTORY)
        if(header_folder STREQUAL "" OR NOT EXISTS ${SOURCE_DIR}/${header})
            continue()  # a file beside it, or not one of ours
        endif()
        layer_of("${header_folder}" header_kind header_rank)
        set(allowed FALSE)
        if(header_kind IN_LIST BACKENDS)
            if(header_kind STREQUAL kind OR kind STREQUAL "app"
               OR (kind STREQUAL "ui/win32" AND header_kind STREQUAL "platform/win32"))
                set(allowed TRUE)
            endif()
        elseif(kind IN_LIST BACKENDS)
            if(header_kind STREQUAL "base" OR header_kind STREQUAL "platform")
                set(allowed TRUE)
            endif()
        elseif(NOT header_rank GREATER rank)
            set(allowed TRUE)
        endif()
        if(NOT allowed)
            string(APPEND faults "\n  ${file} (${kind}) includes ${header} (${header_kind})")
        endif()
    endforeach()
endforeach()

if(NOT faults STREQUAL "")
    message(FATAL_ERROR "Includes against the layer order (see docs/architecture.md):${faults}")
endif()
