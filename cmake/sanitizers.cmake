# VEXAV6_SANITIZE: the whole tree (program, test suites, tools) built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets of fuzz/ beside it. Every
# object also carries libFuzzer's coverage instrumentation, so that one tree serves both the
# sanitizer run of the test suites and the fuzz targets (ccache keeps it cheap to rebuild).
# Any finding stops the program: nothing is only printed and then carried on from.
option(VEXAV6_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer (clang), and the fuzz targets" OFF)

if(VEXAV6_SANITIZE)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "VEXAV6_SANITIZE needs clang (libFuzzer): use the preset asan")
    endif()
    add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
