# Compiler warnings and sanitizers shared by every target of the project.

add_library(corvane_options INTERFACE)
target_compile_options(corvane_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual
    -Wformat=2 -Wimplicit-fallthrough)
target_compile_definitions(corvane_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER QT_NO_KEYWORDS)

if(CORVANE_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_compile_options(corvane_options INTERFACE ${_san})
    target_link_options(corvane_options INTERFACE ${_san})
endif()

if(CORVANE_FUZZ)
    # Every library is instrumented for coverage; only the fuzz executables link libFuzzer's main.
    target_compile_options(corvane_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(corvane_options INTERFACE -fsanitize=address,undefined)
endif()

# corvane_add_library(name SOURCES ... LIBS ...): a static library of one layer or service area.
function(corvane_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC corvane_options ${ARG_LIBS})
endfunction()
