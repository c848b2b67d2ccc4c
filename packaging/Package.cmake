# The Debian package, made by CPack from the install rules: the package holds
# exactly what `cmake --install` puts under /usr, and dpkg-shlibdeps works
# out its dependencies from the programs.
set(NI_PACKAGE_CONTACT "Notes Import developers <notes-import@ostrel.app>")

# What Debian wants in every package: the copyright and a changelog, compressed.
set(NI_DOC_DIR share/doc/notes-import)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -f -k changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${NI_DOC_DIR})

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE NI_DEB_ARCHITECTURE
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT NI_DEB_ARCHITECTURE)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME notes-import)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Notes Import developers")
set(CPACK_PACKAGE_CONTACT ${NI_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "export a Notes library and hand it to Ostrel")
# CPack puts the summary first and indents the lines; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reads every account, folder and note of a Notes library (the Notes folder
copied from a Mac, its NoteStore.sqlite, or a library.json description) and
writes them as a folder tree of HTML files and RTFD documents with an
import manifest, then opens the note library Ostrel to import them.

notes-export does this from the command line, notes-import in a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${NI_DEB_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (standard buttons, the help's headings) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

# `deb` builds the package; it is remade only when something in it changed.
set(NI_DEB ${CPACK_PACKAGE_DIRECTORY}/notes-import_${PROJECT_VERSION}_${NI_DEB_ARCHITECTURE}.deb)
file(GLOB_RECURSE NI_PACKAGED_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/* ${CMAKE_SOURCE_DIR}/data/*)
add_custom_command(OUTPUT ${NI_DEB}
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -G DEB
  DEPENDS notes-export notes-import man_pages package_changelog ${NI_TRANSLATIONS} ${NI_MAN_PAGES}
          ${NI_PACKAGED_FILES} ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
          ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Making the Debian package"
  VERBATIM)
option(NI_BUILD_PACKAGE "Make the Debian package with every build" OFF)
if(NI_BUILD_PACKAGE)
  add_custom_target(deb ALL DEPENDS ${NI_DEB})
else()
  add_custom_target(deb DEPENDS ${NI_DEB})
endif()
