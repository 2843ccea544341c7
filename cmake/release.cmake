# The version in one place: project(VERSION) of the top CMakeLists.txt. From it come
#   - base/app_version.h (generated), which the program's app::kVersionMajor/Minor/Revision and the
#     Windows version resource read (VEXAV6_VERSION_MAJOR ... VEXAV6_VERSION_RC);
#   - installer/version.nsh (generated), the installer's name, version and registry texts;
#   - the CMake variables VEXAV6_VERSION, VEXAV6_VERSION_MAJOR, _MINOR and _PATCH for anything else.
set(VEXAV6_VERSION ${PROJECT_VERSION})
set(VEXAV6_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(VEXAV6_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(VEXAV6_VERSION_PATCH ${PROJECT_VERSION_PATCH})

set(VEXAV6_GENERATED_INCLUDE ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/src/base/app_version.h.in
               ${VEXAV6_GENERATED_INCLUDE}/base/app_version.h @ONLY)

# The texts the installer shares with the program are read from the program's own header, so the
# two cannot disagree: one line each, `inline constexpr const char* kName = "text";`.
set(app_info ${CMAKE_SOURCE_DIR}/src/base/app_info.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${app_info})
file(STRINGS ${app_info} app_info_lines REGEX "inline constexpr const char\\* k[A-Za-z]+ = \"")
foreach(name Title Publisher ProductWebAddress PresetFileTypeName PresetFileExtension)
    set(value "")
    foreach(line IN LISTS app_info_lines)
        if(line MATCHES "const char\\* k${name} = \"([^\"]*)\";")
            set(value "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    if(value STREQUAL "")
        message(FATAL_ERROR "${app_info} has no line `inline constexpr const char* k${name} = \"...\";`")
    endif()
    set(VEXAV6_APP_${name} "${value}")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/installer/version.nsh.in
               ${CMAKE_BINARY_DIR}/installer/version.nsh @ONLY)
