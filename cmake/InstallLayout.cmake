# Where an installed Portolan keeps its files: the GNU/FHS folders below CMAKE_INSTALL_PREFIX
# (bin/, share/portolan/, share/man/, ...), DESTDIR honoured by `cmake --install`.
#
# The programs find their data folder (help pages, branding) relative to their own folder, so no
# path of the build tree and no install prefix is compiled in: PORTOLAN_DATA_FROM_PROGRAM is the
# way from bin/ to share/portolan/ ("../share/portolan/"). In a build tree that folder does not
# exist and the programs read their data from bin/ (see SystemInfo::DataFolderOf).
include(GNUInstallDirs)

set(PORTOLAN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/portolan)
file(RELATIVE_PATH PORTOLAN_DATA_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/portolan)
set(PORTOLAN_DATA_FROM_PROGRAM "${PORTOLAN_DATA_FROM_PROGRAM}/")
