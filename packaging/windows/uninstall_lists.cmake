# Run by CPack once the installer's files are staged: what the uninstaller
# deletes, as the installer template includes it. The files go in name order
# (file(GLOB) sorts), and the folders in reverse name order, which puts every
# folder after the folders inside it, so each is empty when its turn comes.
# CPack's own lists come in the order the file system hands the names out.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${staged}" "${staged}/*")
set(folders ${entries})
if(files)
    list(REMOVE_ITEM folders ${files})
endif()
list(REVERSE folders)

set(nsh "")
foreach(file IN LISTS files)
    string(REPLACE "/" "\\" file "${file}")
    string(APPEND nsh "  Delete \"$INSTDIR\\${file}\"\n")
endforeach()
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" folder "${folder}")
    string(APPEND nsh "  RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/uninstall_lists.nsh" "${nsh}")
