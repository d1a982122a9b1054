# Install rules for the program, the command-line tool and the local quote service, with the
# desktop entry, the icons and the AppStream metainfo; CPack packs them as one Debian package
# (make package).
include(GNUInstallDirs)

# The package's version is the program's with a Debian revision; the Debian changelog's first
# entry must name it.
set(ARDENTIX_DEBIAN_REVISION 1)
set(deb_version ${PROJECT_VERSION}-${ARDENTIX_DEBIAN_REVISION})
set(debian ${PROJECT_SOURCE_DIR}/resources/debian)
file(STRINGS ${debian}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^ardentix \\(${deb_version}\\) ")
    message(FATAL_ERROR "resources/debian/changelog: the first entry is not ${deb_version}")
endif()
# The date of that entry dates the manual pages, so that a rebuild makes the same bytes.
file(STRINGS ${debian}/changelog changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- .*>  " "" changelog_date "${changelog_trailer}")
execute_process(COMMAND date -u -d "${changelog_date}" +%s
    OUTPUT_VARIABLE source_date_epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -d @${source_date_epoch} "+%B %Y"
    OUTPUT_VARIABLE ARDENTIX_MAN_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

install(TARGETS ardentix ardentix-get RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quote-service)
    # The build keeps the short name the scripts and tests use; installed it names its owner.
    install(PROGRAMS $<TARGET_FILE:quote-service> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME ardentix-quote-service)
    # Each user's own service, as a systemd user unit; the package's scripts enable it for all.
    configure_file(${PROJECT_SOURCE_DIR}/resources/ardentix-quote-service.service.in
        ${PROJECT_BINARY_DIR}/ardentix-quote-service.service @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/ardentix-quote-service.service
        DESTINATION lib/systemd/user)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${debian}/postinst ${debian}/prerm ${debian}/postrm)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

set(resources ${PROJECT_SOURCE_DIR}/resources)
install(FILES ${resources}/${ARDENTIX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${resources}/${ARDENTIX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon is drawn once, as SVG; the bitmap sizes are rendered from it.
set(icon_svg ${resources}/ardentix.svg)
set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${icon_svg} DESTINATION ${hicolor}/scalable/apps RENAME ${ARDENTIX_APP_ID}.svg)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size 16 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${ARDENTIX_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
        DEPENDS ${icon_svg}
        VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${hicolor}/${size}x${size}/apps)
endforeach()
add_custom_target(ardentix_icons ALL DEPENDS ${icon_pngs})

# Manual pages: ardentix's is written by hand (the window takes no arguments); those of the
# command-line tool and the service are made from their --help and --version by help2man, each
# run under its installed name. All are installed gzipped, as Debian wants them. They run the
# programs, so only the build that is packaged makes them (ARDENTIX_MAN_PAGES).
find_program(GZIP gzip REQUIRED)
if(ARDENTIX_MAN_PAGES)
    find_program(HELP2MAN help2man REQUIRED)
    set(man_dir ${PROJECT_BINARY_DIR}/man)
    configure_file(${resources}/ardentix.1.in ${man_dir}/ardentix.1 @ONLY)
    set(man_programs ardentix-get)
    if(TARGET quote-service)
        list(APPEND man_programs ardentix-quote-service)
    endif()
    set(man_gz ${man_dir}/ardentix.1.gz)
    add_custom_command(OUTPUT ${man_dir}/ardentix.1.gz
        COMMAND sh -c "${GZIP} -9n -c ardentix.1 > ardentix.1.gz"
        DEPENDS ${man_dir}/ardentix.1 WORKING_DIRECTORY ${man_dir} VERBATIM)
    set(ardentix-get_target ardentix-get)
    set(ardentix-get_summary "download Japanese stock price histories to CSV files")
    set(ardentix-quote-service_target quote-service)
    set(ardentix-quote-service_summary "local quote service for ardentix and ardentix-get")
    foreach(program IN LISTS man_programs)
        set(target ${${program}_target})
        add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}/bin
            COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:${target}> ${man_dir}/bin/${program}
            COMMAND ${CMAKE_COMMAND} -E env PATH=${man_dir}/bin:/usr/bin:/bin
                SOURCE_DATE_EPOCH=${source_date_epoch}
                ${HELP2MAN} --no-info --locale=C.UTF-8 --name=${${program}_summary} --section=1
                --include=${resources}/${program}.h2m --output=${program}.1 ${program}
            COMMAND sh -c "${GZIP} -9n -c ${program}.1 > ${program}.1.gz"
            DEPENDS ${target} ${resources}/${program}.h2m
            WORKING_DIRECTORY ${man_dir} VERBATIM)
        list(APPEND man_gz ${man_dir}/${program}.1.gz)
    endforeach()
    add_custom_target(ardentix_man_pages ALL DEPENDS ${man_gz})
    install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# /usr/share/doc/ardentix: the machine-readable copyright file and the Debian changelog.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ardentix)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.Debian.gz
    COMMAND sh -c "${GZIP} -9n -c ${debian}/changelog > changelog.Debian.gz"
    DEPENDS ${debian}/changelog WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
add_custom_target(ardentix_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${debian}/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
    DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ardentix)
set(CPACK_PACKAGE_CONTACT "${ARDENTIX_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SOURCE ardentix)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ARDENTIX_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # ardentix_<version>-<revision>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The programs go in stripped; their debugging symbols, found by build id, in
# ardentix-dbgsym_<version>_<arch>.ddeb beside the package (the package preset builds with -g).
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DbgsymFixup.cmake)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "download Japanese stock price histories
Ardentix fetches the daily, weekly or monthly price history of a stock listed
on a Japanese market from a quote service, restates the prices for stock
splits, lists up to 500 rows and saves them to a CSV file in code page 932.

The package holds the window (ardentix), the command-line tool (ardentix-get)
and the local quote service (ardentix-quote-service), which each user's session
starts as a systemd user unit: a gateway to the exchange's J-Quants API that
keeps the daily prices it fetched in a local database.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not name: the X11/Wayland platform plugins, a font with Japanese
# glyphs, and Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk, qt6-translations-l10n")
include(CPack)

if(ARDENTIX_BUILD_TESTS)
    add_test(NAME metainfo_valid
        COMMAND appstreamcli validate --no-net ${resources}/${ARDENTIX_APP_ID}.metainfo.xml)
    add_test(NAME desktop_entry_valid
        COMMAND desktop-file-validate ${resources}/${ARDENTIX_APP_ID}.desktop)
endif()
