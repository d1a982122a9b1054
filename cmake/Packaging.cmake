# Install rules for the program, the command-line tool and the local quote service, with the
# desktop entry, the icons and the AppStream metainfo; CPack packs them as one Debian package
# (make package).
include(GNUInstallDirs)

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
    set(debian ${PROJECT_SOURCE_DIR}/resources/debian)
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ardentix)
set(CPACK_PACKAGE_CONTACT "${ARDENTIX_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
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
