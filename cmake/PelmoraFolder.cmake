# pelmora_expose(<target> <folder>)
# Lets <target>, and everything that links it, include "<folder>/File.h" and
# no other folder of the source tree. Each folder is reached through a build
# directory of its own that holds nothing but a link to it, so an include of a
# folder the target does not link fails to build: includes can only run
# downwards, along the links.
function(pelmora_expose target folder)
    set(dir ${PROJECT_BINARY_DIR}/include/${folder})
    if(NOT EXISTS ${dir}/${folder})
        file(MAKE_DIRECTORY ${dir})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${dir})
    else()
        target_include_directories(${target} PUBLIC ${dir})
    endif()
endfunction()

# pelmora_gui_library(<target> <folder> <sources...>)
# The windows of a folder: a static library with Qt's meta-object compiler,
# exposed like the folder's core library.
function(pelmora_gui_library target folder)
    add_library(${target} STATIC ${ARGN})
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${target} PUBLIC Qt6::Widgets)
    pelmora_expose(${target} ${folder})
endfunction()
