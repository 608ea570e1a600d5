# What `cmake --install` puts in place and the .deb that `make package` builds from it: the two
# programs, their menu entries and icons, the licence and the README. Tests, benchmarks and
# tools are not installed.
include(GNUInstallDirs)

install(TARGETS Zorvath Zorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program zorvath zorvane)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${program}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()
set(WORKBENCH_PACKAGE fuzzy-workbench)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE RENAME copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${WORKBENCH_PACKAGE})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${WORKBENCH_PACKAGE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${WORKBENCH_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fuzzy relation workbench")
set(CPACK_PACKAGE_CONTACT "Fuzzy relation workbench <fuzzy-workbench@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zorvath and Zorvane: T-transitive closures and transitivizations of fuzzy relations")
set(CPACK_PACKAGE_DESCRIPTION "Two desktop programs (Qt 6) that draw or read fuzzy relations, compute their \
Min-, Prod- and W-transitive closures and transitivized matrices, compare them with the relation and write \
statistics tables; Zorvath uses the symmetrizing transitivization, Zorvane the plain one. Both also run as \
commands without a display.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The dependencies are read from the binaries' libraries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's font, or the nearest one it falls back to; Qt's Spanish texts for its standard
# buttons and dialogs ("Aceptar", "Cancelar", the file dialogs).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation | fonts-dejavu-core, qt6-translations-l10n")
include(CPack)
