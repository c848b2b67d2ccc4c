# Unpacks the Debian package into a scratch folder (nothing is installed on
# the machine) and runs the unpacked notes-export on the bundled sample, so
# a package that lacks a file fails here.
#   cmake -DDEB=<package> -DPROGRAM=<built notes-export> -DWORK=<scratch folder> -P PackageTest.cmake
cmake_minimum_required(VERSION 3.25)
find_program(dpkg_deb dpkg-deb)
if(NOT dpkg_deb)
  message(NOTICE "SKIPPED: dpkg-deb is not installed")
  return()
endif()
if(NOT EXISTS ${DEB} OR ${PROGRAM} IS_NEWER_THAN ${DEB})
  message(FATAL_ERROR "${DEB} is missing or older than the programs; "
                      "make it with: cmake --build <build folder> --target deb")
endif()
file(REMOVE_RECURSE ${WORK})
set(root ${WORK}/root)
file(MAKE_DIRECTORY ${root})
execute_process(COMMAND ${dpkg_deb} -x ${DEB} ${root} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x failed: ${status}")
endif()

set(id app.ostrel.notes-import)
foreach(path bin/notes-export bin/notes-import
             share/notes-import/Info.rtf share/notes-import/SampleNotesContainer/NoteStore.sqlite
             share/notes-import/SampleLibrary/library.json share/notes-import/translations/notes-import_de.qm
             share/applications/${id}.desktop share/icons/hicolor/scalable/apps/${id}.svg
             share/metainfo/${id}.metainfo.xml
             share/man/man1/notes-export.1.gz share/man/man1/notes-import.1.gz
             share/bash-completion/completions/notes-export
             share/doc/notes-import/copyright share/doc/notes-import/changelog.gz)
  if(NOT EXISTS ${root}/usr/${path})
    message(FATAL_ERROR "not in the package: /usr/${path}")
  endif()
endforeach()

# The dependencies come from the programs, so Qt and the libraries are there.
execute_process(COMMAND ${dpkg_deb} -f ${DEB} Depends OUTPUT_VARIABLE depends RESULT_VARIABLE status)
foreach(library libqt6core6 libqt6gui6 libqt6widgets6 libplist libsqlite3 libssl libc6)
  if(NOT depends MATCHES "${library}")
    message(FATAL_ERROR "the package does not depend on ${library}: ${depends}")
  endif()
endforeach()

set(destination ${WORK}/Exported)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${WORK}/config XDG_DATA_HOME=${WORK}/data
          ${root}/usr/bin/notes-export --no-handoff --destination ${destination}
          --library ${root}/usr/share/notes-import/SampleNotesContainer
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the unpacked notes-export failed (${status}):\n${err}")
endif()
string(REGEX MATCH "^[^\n]*" manifest "${out}")
if(NOT manifest STREQUAL "${destination}/Exported.plist" OR NOT EXISTS ${manifest})
  message(FATAL_ERROR "no manifest at ${destination}/Exported.plist; output:\n${out}")
endif()
if(NOT err MATCHES "Notes written: [1-9]")
  message(FATAL_ERROR "the unpacked notes-export did not export the sample:\n${err}")
endif()
file(REMOVE_RECURSE ${WORK})
