# `make uninstall`: removes the files an installation recorded in FILES, then the program's own
# folders (named quorvel, and those below them) that are left empty. A library or anything else
# the user put there keeps its folder.
# Whole lines: without the encoding, file(STRINGS) would cut the Chinese names into pieces.
file(STRINGS "${FILES}" installed ENCODING UTF-8)
foreach(path IN LISTS installed)
    if(NOT IS_DIRECTORY "${path}" AND (EXISTS "${path}" OR IS_SYMLINK "${path}"))
        message(STATUS "Removing ${path}")
        file(REMOVE "${path}")
    endif()
    get_filename_component(folder "${path}" DIRECTORY)
    while(folder MATCHES "/quorvel(/|$)" AND IS_DIRECTORY "${folder}")
        file(GLOB left "${folder}/*" "${folder}/.*")
        if(left)
            break()
        endif()
        file(REMOVE_RECURSE "${folder}")
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()
