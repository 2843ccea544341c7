# Header-only libraries from Debian that both builds compile in.
#
# nlohmann-json lives in /usr/include, which the MinGW build must not search as a whole (it holds
# glibc's headers), so the cross build sees it through a folder that holds only a link to it.
set(VEXAV6_JSON_INCLUDE "")
if(EXISTS /usr/include/nlohmann/json.hpp)
    if(CMAKE_CROSSCOMPILING)
        set(link_dir ${CMAKE_BINARY_DIR}/third_party/include)
        file(MAKE_DIRECTORY ${link_dir})
        file(CREATE_LINK /usr/include/nlohmann ${link_dir}/nlohmann SYMBOLIC)
        set(VEXAV6_JSON_INCLUDE ${link_dir})
    else()
        set(VEXAV6_JSON_INCLUDE /usr/include)
    endif()
else()
    message(FATAL_ERROR "nlohmann-json is missing: install the Debian package nlohmann-json3-dev")
endif()
