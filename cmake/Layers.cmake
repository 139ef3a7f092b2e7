# One static library per layer, and one for the widgets of its ui/ folder:
#
#   app -> {card, slides, thumbs} -> imaging -> core -> skin
#
# The arrows are the target_link_libraries of the layers, and the compiler keeps to them: every
# include is written from the repository's root ("imaging/CLead.h"), yet no target is given that
# root. Each layer gets an include root of its own in the build tree, holding its folder alone
# (links to the folder's files and sub-folders, ui/ excepted), and the ui/ library one holding its
# ui/ folder alone. The roots are PUBLIC, so a layer sees its own root and those of the layers it
# links, and nothing else: a header of a layer above or beside it is not found, and the file does
# not compile. A header in the same folder is found beside the file, as always.

set(VC_INCLUDE_ROOTS ${PROJECT_BINARY_DIR}/include)

# Fills <root>/<folder> with links to the entries of <folder> in the sources, except <skip>.
# The links are made again at every configure run; the glob runs again at build time, so a file
# or folder added to the sources is linked before anything that includes it is compiled.
function(vc_link_folder root folder skip)
    set(dir ${root}/${folder})
    file(MAKE_DIRECTORY ${dir})
    file(GLOB old LIST_DIRECTORIES true ${dir}/*)
    if(old)
        # Every entry is a link of ours: removing it never touches what it points to.
        file(REMOVE ${old})
    endif()
    file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true
         RELATIVE ${PROJECT_SOURCE_DIR}/${folder} ${PROJECT_SOURCE_DIR}/${folder}/*)
    foreach(entry IN LISTS entries)
        if(NOT entry STREQUAL skip)
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${entry} ${dir}/${entry} SYMBOLIC)
        endif()
    endforeach()
endfunction()

# vc_layer(<folder> [SOURCES <glob>...] [LINK <target>...]): the library vc_<folder> of the
# folder's files (without ui/ and without main.cpp), with the folder's include root.
function(vc_layer folder)
    cmake_parse_arguments(arg "" "" "SOURCES;LINK" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h ${arg_SOURCES})
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    add_library(vc_${folder} STATIC ${sources})
    set(root ${VC_INCLUDE_ROOTS}/${folder})
    vc_link_folder(${root} ${folder} ui)
    target_include_directories(vc_${folder} PUBLIC ${root})
    target_link_libraries(vc_${folder} PUBLIC ${arg_LINK})
endfunction()

# vc_layer_ui(<folder> [LINK <target>...]): the library vc_<folder>_ui of the widgets in
# <folder>/ui/, above its own layer; only these libraries link Qt6::Widgets.
function(vc_layer_ui folder)
    cmake_parse_arguments(arg "" "" "LINK" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/ui/*.cpp ${folder}/ui/*.h)
    add_library(vc_${folder}_ui STATIC ${sources})
    set(root ${VC_INCLUDE_ROOTS}/${folder}_ui)
    vc_link_folder(${root} ${folder}/ui "")
    target_include_directories(vc_${folder}_ui PUBLIC ${root})
    target_link_libraries(vc_${folder}_ui PUBLIC vc_${folder} Qt6::Widgets ${arg_LINK})
endfunction()
