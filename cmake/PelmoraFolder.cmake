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

# pelmora_check_layers(<folders...>)
# The folders from the ground floor up. A target of one folder that links a
# target of a folder above it stops the configuration:
# static libraries may link in a cycle, so without this check a link the wrong
# way would quietly let the lower folder include the upper one.
function(pelmora_check_layers)
    set(folders ${ARGN})
    foreach(folder IN LISTS folders)
        list(FIND folders ${folder} level)
        set(dirs ${PROJECT_SOURCE_DIR}/${folder})
        while(dirs)
            list(POP_FRONT dirs dir)
            get_directory_property(subdirs DIRECTORY ${dir} SUBDIRECTORIES)
            list(APPEND dirs ${subdirs})
            get_directory_property(targets DIRECTORY ${dir} BUILDSYSTEM_TARGETS)
            foreach(target IN LISTS targets)
                get_target_property(type ${target} TYPE)
                if(type STREQUAL "INTERFACE_LIBRARY")
                    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
                else()
                    get_target_property(links ${target} LINK_LIBRARIES)
                endif()
                foreach(link IN LISTS links)
                    if(NOT TARGET ${link})
                        continue()
                    endif()
                    get_target_property(linkDir ${link} SOURCE_DIR)
                    file(RELATIVE_PATH linkPath ${PROJECT_SOURCE_DIR} ${linkDir})
                    string(REGEX REPLACE "/.*" "" linkFolder "${linkPath}")
                    list(FIND folders "${linkFolder}" linkLevel)
                    if(linkLevel GREATER level)
                        message(FATAL_ERROR "${target} (${folder}/) links ${link} "
                            "(${linkFolder}/), a folder above it: links run downwards only")
                    endif()
                endforeach()
            endforeach()
        endwhile()
    endforeach()
endfunction()
