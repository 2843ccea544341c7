# Warnings are errors in our own code; third-party code (GoogleTest, nlohmann-json) is left alone.
function(vexav6_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # The sanitizer and fuzz tree (clang): the same set as g++ has, in clang's words for local
        # shadowing. Clang's -Wall also warns of a member function that hides a virtual one of
        # the same name, which g++'s does not: test fixtures name a helper Setup beside
        # GoogleTest's SetUp.
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                               -Wshadow-uncaptured-local -Wnon-virtual-dtor -Wimplicit-fallthrough
                               -Wno-overloaded-virtual)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                               -Wshadow=local -Wnon-virtual-dtor -Wimplicit-fallthrough)
    endif()
endfunction()
