# The one-way layers: app -> {card, slides, thumbs} -> imaging -> core -> skin.
# A file may include headers of its own folder and of folders below it, never of a folder
# above it or beside it. Tests follow the folder they test; the shared test support and the fuzz
# targets stand just above the imaging layer; the end-to-end tests and the benchmarks stand above
# everything.
#
#   cmake -DSOURCE_DIR=<repository> -P CheckLayers.cmake
# lists every include that breaks the rule and fails when there is one.

set(rank_skin 0)
set(rank_core 2)
set(rank_imaging 4)
set(rank_support 5)
set(rank_fuzz 5)
set(rank_card 6)
set(rank_slides 6)
set(rank_thumbs 6)
set(rank_app 8)
set(rank_e2e 10)
set(rank_bench 10)

string(CONCAT rule "one-way layers: app -> {card, slides, thumbs} -> imaging -> core -> skin "
       "(a file includes only its own folder and folders below it)")

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")

set(faults "")
foreach(file IN LISTS files)
    if(file MATCHES "^build" OR file MATCHES "^\\.")
        continue()
    endif()
    # The folder that places the file: tests/<folder>/... stands where <folder> stands.
    string(REGEX MATCH "^tests/([^/]+)/" in_tests "${file}")
    if(in_tests)
        set(own "${CMAKE_MATCH_1}")
    else()
        string(REGEX MATCH "^([^/]+)/" in_folder "${file}")
        if(NOT in_folder)
            continue()
        endif()
        set(own "${CMAKE_MATCH_1}")
    endif()
    if(NOT DEFINED rank_${own})
        continue()
    endif()
    set(own_rank ${rank_${own}})

    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([^\"]+)\"" quoted "${line}")
        set(header "${CMAKE_MATCH_1}")
        string(REGEX MATCH "^([^/]+)/" has_folder "${header}")
        if(NOT has_folder)
            continue()
        endif()
        set(target "${CMAKE_MATCH_1}")
        if(target STREQUAL "tests" OR target STREQUAL own OR NOT DEFINED rank_${target})
            continue()
        endif()
        if(NOT rank_${target} LESS own_rank)
            string(APPEND faults "  ${file}: #include \"${header}\" (${own} may not include ${target})\n")
        endif()
    endforeach()
endforeach()

if(faults)
    message(FATAL_ERROR "Includes against the ${rule}:\n${faults}")
endif()
message(STATUS "Every include follows the ${rule}.")
