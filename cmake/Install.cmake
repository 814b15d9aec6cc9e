# What `cmake --install` puts where (folders from cmake/InstallLayout.cmake; DESTDIR honoured), and
# the Debian package made of it (cmake/DebianPackage.cmake, scripts/package.sh).

# The reverse-DNS name of the desktop program: its desktop entry and AppStream metadata.
set(PORTOLAN_APP_ID "org.portolan.Portolan" CACHE STRING "Reverse-DNS id of the desktop program")
set(PORTOLAN_HOMEPAGE_URL "https://portolan.org" CACHE STRING "Portolan's web site")
# The repository's docs/screenshots/main-window.png as the web site publishes it (AppStream takes
# screenshots by web address only).
set(PORTOLAN_SCREENSHOT_URL "${PORTOLAN_HOMEPAGE_URL}/docs/screenshots/main-window.png"
    CACHE STRING "Web address of the main window's screenshot")
set(PORTOLAN_PROJECT_LICENSE "LicenseRef-proprietary")
set(PORTOLAN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/portolan)
set(dist ${PROJECT_SOURCE_DIR}/dist)
set(generated ${CMAKE_BINARY_DIR}/dist)

# The release's version and date come from the newest entry of the package's changelog, which
# must name the project's version.
file(STRINGS ${dist}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^portolan \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "dist/changelog: the newest entry is not version ${PROJECT_VERSION}: add one")
endif()
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- (.+)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(PORTOLAN_MAINTAINER "${CMAKE_MATCH_1}")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_3} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    if(month LESS 10)
      set(month "0${month}")
    endif()
    set(PORTOLAN_RELEASE_DATE "${CMAKE_MATCH_4}-${month}-${CMAKE_MATCH_2}")
    break()
  endif()
endforeach()
if(NOT PORTOLAN_RELEASE_DATE)
  message(FATAL_ERROR "dist/changelog: no trailer line (\" -- NAME <MAIL>  DATE\") in the newest entry")
endif()

# gzip -9n, as Debian wants manual pages and changelogs: no name or time stamp inside, so that
# the same input gives the same package.
function(portolan_gzip input output)
  add_custom_command(OUTPUT ${output}
                     COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${input} ${output}
                     DEPENDS ${input} VERBATIM)
endfunction()

# The programs.
install(TARGETS portolanctl portolan-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The serial applications' preload library, in a folder of its own, and its wrapper.
install(TARGETS portolan-serial LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/portolan)
install(PROGRAMS ${CMAKE_BINARY_DIR}/bin/portolan-serial-run DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET portolan)
  install(TARGETS portolan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The data folder: what the programs read at run time besides their settings.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/res/help/ DESTINATION ${PORTOLAN_INSTALL_DATADIR}/help)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/res/branding/
        DESTINATION ${PORTOLAN_INSTALL_DATADIR}/branding)

# Manual pages.
set(man_pages portolanctl.1 portolan-devsim.1 portolan-serial-run.1)
if(TARGET portolan)
  list(APPEND man_pages portolan.1)
endif()
set(PORTOLAN_VERSION ${PROJECT_VERSION})
set(man_outputs "")
foreach(page ${man_pages})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page} ${generated}/man/${page} @ONLY)
  portolan_gzip(${generated}/man/${page} ${generated}/man/${page}.gz)
  list(APPEND man_outputs ${generated}/man/${page}.gz)
endforeach()

# The package's own documents.
portolan_gzip(${dist}/changelog ${generated}/changelog.gz)
add_custom_target(portolan_dist_files ALL DEPENDS ${man_outputs} ${generated}/changelog.gz)
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/copyright ${generated}/changelog.gz DESTINATION ${PORTOLAN_INSTALL_DOCDIR})
install(FILES ${dist}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME portolan)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/service.md
              ${PROJECT_SOURCE_DIR}/docs/discovery-on-busy-networks.md
              ${PROJECT_SOURCE_DIR}/docs/devsim.md ${PROJECT_SOURCE_DIR}/docs/monitoring.md
        DESTINATION ${PORTOLAN_INSTALL_DOCDIR})
# Shipped as an example only: it changes the system once an administrator copies it to
# /etc/sysctl.d/ and uncomments it.
install(FILES ${dist}/sysctl/60-portolan-discovery.conf
        DESTINATION ${PORTOLAN_INSTALL_DOCDIR}/examples)

# portolanctl: bash completion and the services that run the stored ports. Units go below
# PREFIX/lib/systemd/, where systemd looks for them (not the multiarch library folder).
install(FILES ${dist}/bash-completion/portolanctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
foreach(unit portolan-ports.service portolan-ports@.service)
  configure_file(${dist}/systemd/${unit}.in ${generated}/systemd/${unit} @ONLY)
endforeach()
install(FILES ${generated}/systemd/portolan-ports.service DESTINATION lib/systemd/user)
install(FILES ${generated}/systemd/portolan-ports@.service DESTINATION lib/systemd/system)

# The desktop program in the desktop's menu and software centre.
if(TARGET portolan)
  target_compile_definitions(portolan PRIVATE PORTOLAN_APP_ID="${PORTOLAN_APP_ID}")
  install(FILES ${dist}/portolan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          RENAME ${PORTOLAN_APP_ID}.desktop)
  configure_file(${dist}/portolan.metainfo.xml.in ${generated}/${PORTOLAN_APP_ID}.metainfo.xml
                 @ONLY)
  install(FILES ${generated}/${PORTOLAN_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${dist}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  # The icon is the program's own application icon (its window icon); the PNGs are rendered from
  # it by scripts/render-app-icon.sh.
  install(FILES ${PROJECT_SOURCE_DIR}/src/res/icons/app/portolan.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
