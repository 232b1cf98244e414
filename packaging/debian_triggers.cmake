# Run by CPack after it has built the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack writes postinst and postrm scripts that call ldconfig into every
# package holding a shared library in the loader's folders; Debian asks for
# the ldconfig trigger instead. For each package of
# CPACK_LEVELORA_TRIGGER_PACKAGES this unpacks the .deb, replaces the two
# scripts by a "triggers" file and packs it again (owned by root, as CPack
# packs it).
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name "${deb}" NAME)
    string(REGEX REPLACE "_.*" "" package "${name}")
    if(NOT package IN_LIST CPACK_LEVELORA_TRIGGER_PACKAGES)
        continue()
    endif()
    set(tree "${CPACK_PACKAGE_DIRECTORY}/triggers/${package}")
    file(REMOVE_RECURSE "${tree}")
    file(MAKE_DIRECTORY "${CPACK_PACKAGE_DIRECTORY}/triggers")
    execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}"
                    COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
    file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
    file(CHMOD "${tree}/DEBIAN/triggers"
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build "${tree}" "${deb}"
                    OUTPUT_QUIET
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE_RECURSE "${CPACK_PACKAGE_DIRECTORY}/triggers")
