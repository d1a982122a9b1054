# Runs after CPack (CPACK_POST_BUILD_SCRIPTS): puts right what CMake 3.25 writes wrong in the
# -dbgsym package. Its md5sums name the files by their paths in the build folder, its .debug
# files are executable, and it lacks the link to the main package's documentation that
# Debian's debug-symbol packages carry for their copyright and changelog.
list(GET CPACK_PACKAGE_FILES 0 deb)
get_filename_component(package_dir ${deb} DIRECTORY)
file(GLOB ddebs ${package_dir}/${CPACK_PACKAGE_NAME}-dbgsym_*.ddeb)
foreach(ddeb IN LISTS ddebs)
    set(root ${ddeb}.d)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND dpkg-deb --raw-extract ${ddeb} ${root} COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE debug_files RELATIVE ${root} ${root}/usr/*)
    list(SORT debug_files)
    set(md5sums "")
    foreach(file IN LISTS debug_files)
        file(CHMOD ${root}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${root}/${file} sum)
        string(APPEND md5sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")
    file(MAKE_DIRECTORY ${root}/usr/share/doc)
    file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${root}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym
        SYMBOLIC)
    execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${ddeb}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${root})
endforeach()
