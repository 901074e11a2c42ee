# The Debian package: `cpack -G DEB` in a build folder makes editeur-couples_VERSION_ARCH.deb from
# the install rules, installed under /usr, its binaries stripped and its library dependencies
# found by dpkg-shlibdeps. Debian wants a machine-readable copyright file and a changelog beside
# the licence; both are installed by every install, so a plain one has them too.
set(COUPLES_PACKAGE_MAINTAINER
  "EDITEUR de COUPLES maintainers <maintainers@users.noreply.c-seed-0fb12470.example>")

set(debian_doc ${CMAKE_INSTALL_DATADIR}/doc/editeur-couples)
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright DESTINATION ${debian_doc})
# A native package's changelog is changelog.gz, compressed without a time stamp so that the
# same sources give the same package.
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in
  ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nfk ${CMAKE_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
  COMMENT "Compressing the Debian changelog")
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${debian_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME editeur-couples)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${COUPLES_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Naming the install rules' component makes CPack keep its own install_manifest_Unspecified.txt
# and leave install_manifest.txt to `cmake --install`, which the uninstall reads.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};couples;Unspecified;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${COUPLES_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Qt's French dialogs and the picture formats beyond PNG and JPEG are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-image-formats-plugins")
# The first line is the synopsis; CPack indents the rest and writes its empty lines as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "editor for the formers of model-aircraft fuselages
EDITEUR de COUPLES draws the formers (in French, couples) of a model-aircraft
fuselage, the cross-section frames cut out of sheet material. The right half
is shaped by dragging the control points of a B-spline over a 10 mm grid and
a scanned plan; a second window shows the former as a 3-D part. The outline
is exported as .DAT coordinates, or drawn at its real size as SVG, DXF or PDF
for a laser cutter or a CNC machine, or printed at 1:1. The interface is in
French; couples-cli drives the same editor from scripts.

Un éditeur des couples d'un fuselage de modèle réduit d'avion : on façonne
la moitié du couple à la souris sur un quadrillage de 10 mm, on le voit en
volume et on l'exporte pour la découpe.")
include(CPack)
