# Warnings are errors in our own code; third-party code (GoogleTest, nlohmann-json) is left alone.
function(vexav6_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                               -Wshadow=local -Wnon-virtual-dtor -Wimplicit-fallthrough)
    endif()
endfunction()
