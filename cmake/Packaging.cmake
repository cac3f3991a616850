# The Debian package, made by CPack (see scripts/package.sh): package
# "ambrelin", version from project(), architecture from dpkg, dependencies
# from the libraries the programs link (dpkg-shlibdeps).
set(AMBRELIN_MAINTAINER "Ambrelin developers <ambrelin@users.noreply.github.com>"
    CACHE STRING "The package's maintainer, as Debian writes it")

# What every Debian package carries in /usr/share/doc/<package>: the
# copyright and the changelog (the package is native: changelog.gz).
set(AMBRELIN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ambrelin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${AMBRELIN_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ambrelin)
find_program(AMBRELIN_DATE date)
if(AMBRELIN_DATE)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${AMBRELIN_DATE} -u -R -d
            "${AMBRELIN_RELEASE_DATE} 12:00:00"
    OUTPUT_VARIABLE AMBRELIN_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT AMBRELIN_RELEASE_TIME)
  set(AMBRELIN_RELEASE_TIME "${AMBRELIN_RELEASE_DATE}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${AMBRELIN_GZIP} -9nkf ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(ambrelin_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${AMBRELIN_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME ambrelin)
set(CPACK_PACKAGE_VENDOR "The Ambrelin developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${AMBRELIN_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a folder of pictures into an HTML album page")
set(CPACK_PACKAGE_DESCRIPTION
    "Ambrelin makes one web page out of a folder of pictures: a row of
thumbnails, each linked to its picture further down the page with the
description written for it. JPEG, bitmap, icon and metafile pictures are
taken, and on request the pictures of phones and messengers (HEIC, AVIF,
WebP, PNG, GIF, TIFF); the pictures themselves are never changed.

The package holds the program, ambrelin, and ambrelin-build, which builds
the albums of picture folders from the command line without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see, added to what it finds: libheif 1.19 or
# newer, whatever symbols the programs happen to use (Debian 12's own 1.15
# cannot open the HEIC pictures of current iPhones, 1.18 can;
# bookworm-backports has 1.19), its HEVC decoder, which it loads as a
# plugin, and Qt's image format plugins for WebP and TIFF.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libheif1 (>= 1.19), libheif-plugin-libde265, qt6-image-formats-plugins")
# The windows are laid out for Liberation Sans (metric-compatible with Arial).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
