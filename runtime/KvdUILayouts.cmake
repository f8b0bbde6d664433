# kvdui_add_layout(TARGET [LANG c|cpp] [EMBED] FILE...)
#
# Generates for each layout FILE a header named after it (pit-stop.kvdui -> pit-stop.kvdui.h) with the IDs
# of its named elements and its placeholders (and with EMBED the layout text), into a folder on TARGET's
# include path. The header is made again whenever the layout changes. LANG is cpp when not given.
function(kvdui_add_layout target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "EMBED" "LANG" "")
    if(NOT TARGET ${target})
        message(FATAL_ERROR "kvdui_add_layout: ${target} is not a target")
    endif()
    if(NOT arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "kvdui_add_layout: give at least one layout file")
    endif()
    if(NOT arg_LANG)
        set(arg_LANG cpp)
    endif()
    if(NOT arg_LANG MATCHES "^(c|cpp)$")
        message(FATAL_ERROR "kvdui_add_layout: LANG must be c or cpp, not ${arg_LANG}")
    endif()
    if(NOT KVDUI_EXECUTABLE)
        message(FATAL_ERROR "kvdui_add_layout: the kvdui program was not found beside the KvdUI package")
    endif()
    set(embed)
    if(arg_EMBED)
        set(embed --embed)
    endif()
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/kvdui_layouts/${target})
    file(MAKE_DIRECTORY ${dir})
    set(headers)
    foreach(layout IN LISTS arg_UNPARSED_ARGUMENTS)
        get_filename_component(layout ${layout} ABSOLUTE)
        get_filename_component(name ${layout} NAME)
        set(header ${dir}/${name}.h)
        add_custom_command(OUTPUT ${header}
                           COMMAND ${KVDUI_EXECUTABLE} gen ${layout} --lang ${arg_LANG} ${embed} -o ${header}
                           DEPENDS ${layout} ${KVDUI_EXECUTABLE}
                           COMMENT "Generating ${name}.h from the layout"
                           VERBATIM)
        list(APPEND headers ${header})
    endforeach()
    target_sources(${target} PRIVATE ${headers})
    target_include_directories(${target} PRIVATE ${dir})
endfunction()
