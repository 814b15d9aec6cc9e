# The Debian package, made by CPack from the install rules (scripts/package.sh builds it from a
# release build of its own). Its dependencies come from the shared libraries the programs link,
# through dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME portolan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_CONTACT "${PORTOLAN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PORTOLAN_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PORTOLAN_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PORTOLAN_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStrip.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "manager for serial device servers, with virtual COM ports bridged to them")
# CPack puts the summary first, as the synopsis, indents these lines and marks empty ones as Debian
# wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Portolan finds the serial device servers and print servers of the local
network (with its own UDP discovery protocol, and SNMP for their details)
and lists them in views that you define. It creates virtual COM ports, each
bound to one serial port of one server, and runs each one as a bridge
between a pseudo-terminal that applications open as their serial port and
a TCP connection to the server, raw or with RFC 2217, so that the
application's baud rate, framing and flow control reach the real port. It
can also reset servers or restore their defaults over SNMP.

The package holds the desktop program portolan, the headless front end
portolanctl with systemd units that run the stored ports as a service,
portolan-serial-run, which passes a serial program's data size, parity,
modem lines and breaks on to the server, and the device simulator
portolan-devsim for trying Portolan without hardware.")

include(CPack)
