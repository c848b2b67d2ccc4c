# Installs the build into a fresh prefix and runs the installed notes-export
# there, so that it has to find its resources from its own location.
#   cmake -DBUILD_DIR=<build> -DWORK=<scratch folder> -P InstallTest.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(id app.ostrel.notes-import)
foreach(path bin/notes-import bin/notes-export share/notes-import/Info.rtf share/notes-import/NamedColors.json
             share/notes-import/SampleLibrary/library.json
             share/notes-import/SampleNotesContainer/NoteStore.sqlite share/applications/${id}.desktop
             share/icons/hicolor/scalable/apps/${id}.svg share/metainfo/${id}.metainfo.xml
             share/man/man1/notes-export.1.gz share/man/man1/notes-import.1.gz
             share/bash-completion/completions/notes-export share/notes-import/translations/notes-import_de.qm)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(READ ${prefix}/share/metainfo/${id}.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"[0-9]+\\.[0-9]+\\.[0-9]+\" date=\"[0-9-]+\"/>")
  message(FATAL_ERROR "the AppStream file names no release")
endif()
file(STRINGS ${prefix}/share/applications/${id}.desktop desktop)
if(NOT "Exec=notes-import" IN_LIST desktop OR NOT "Icon=${id}" IN_LIST desktop)
  message(FATAL_ERROR "the desktop entry does not start the program with its icon")
endif()

# The freedesktop validators, where they are installed.
find_program(desktop_validate desktop-file-validate)
if(desktop_validate)
  execute_process(COMMAND ${desktop_validate} ${prefix}/share/applications/${id}.desktop
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR out MATCHES "error:")
    message(FATAL_ERROR "the desktop entry does not validate:\n${out}")
  endif()
endif()
find_program(appstream_validate appstreamcli)
if(appstream_validate)
  execute_process(COMMAND ${appstream_validate} validate --no-net ${prefix}/share/metainfo/${id}.metainfo.xml
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the AppStream file does not validate:\n${out}")
  endif()
endif()

# Once with the installed sample named, once with the default (found from
# the program's own location).
set(home ${WORK}/home)
set(run ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${home}/config XDG_DATA_HOME=${home}/data QT_QPA_PLATFORM=offscreen
        ${prefix}/bin/notes-export --no-handoff)
foreach(library ${prefix}/share/notes-import/SampleLibrary ${prefix}/share/notes-import/SampleNotesContainer "")
  set(destination ${WORK}/Exported)
  file(REMOVE_RECURSE ${destination})
  set(arguments --destination ${destination})
  if(library)
    list(APPEND arguments --library ${library})
  endif()
  execute_process(COMMAND ${run} ${arguments} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the installed notes-export failed (${status}):\n${err}")
  endif()
  string(REGEX MATCH "^[^\n]*" manifest "${out}")
  if(NOT manifest STREQUAL "${destination}/Exported.plist" OR NOT EXISTS ${manifest})
    message(FATAL_ERROR "no manifest at ${destination}/Exported.plist; output:\n${out}")
  endif()
  file(GLOB written LIST_DIRECTORIES true ${destination}/*)
  list(LENGTH written count)
  if(count LESS 2)
    message(FATAL_ERROR "the export wrote only ${written}")
  endif()
endforeach()
if(NOT KEEP)
  file(REMOVE_RECURSE ${WORK})
endif()
