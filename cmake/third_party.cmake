# Header-only libraries compiled in.
#
# nlohmann-json (machine files of the simulated machine): a CMake package where one is installed
# (vcpkg on Windows), else Debian's header in /usr/include. /usr/include must not be searched as a
# whole by the MinGW build (it holds glibc's headers), so the cross build sees the header through a
# folder that holds only a link to it.
set(VEXAV6_JSON_INCLUDE "")
if(NOT CMAKE_CROSSCOMPILING)
    find_package(nlohmann_json 3 QUIET CONFIG)
endif()
if(nlohmann_json_FOUND)
    get_target_property(VEXAV6_JSON_INCLUDE nlohmann_json::nlohmann_json
                        INTERFACE_INCLUDE_DIRECTORIES)
elseif(EXISTS /usr/include/nlohmann/json.hpp)
    if(CMAKE_CROSSCOMPILING)
        set(link_dir ${CMAKE_BINARY_DIR}/third_party/include)
        file(MAKE_DIRECTORY ${link_dir})
        file(CREATE_LINK /usr/include/nlohmann ${link_dir}/nlohmann SYMBOLIC)
        set(VEXAV6_JSON_INCLUDE ${link_dir})
    else()
        set(VEXAV6_JSON_INCLUDE /usr/include)
    endif()
else()
    message(FATAL_ERROR "nlohmann-json is missing: install the Debian package nlohmann-json3-dev "
                        "(on Windows: vcpkg install nlohmann-json)")
endif()
