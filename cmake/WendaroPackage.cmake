# `make package`: a Debian package built by CPack from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wendaro)
set(CPACK_PACKAGE_VENDOR "Wendaro developers")
set(CPACK_PACKAGE_CONTACT "Wendaro developers <dev@wendaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "share folders and chat on the local network")
# CPack puts the summary on the first line and indents the rest; "." lines separate paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Wendaro shares folders with the other computers of the local network. Every
running copy announces itself by UDP broadcast and finds the others without a
server. Users browse the shares of the other computers, download single files
or whole folders, and chat with everybody.

The package holds the desktop program (when built with Qt) and wendaro-cli,
the command-line program, whose serve command runs as a systemd user service.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://wendaro.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged with DESTDIR, so the install rules see the real prefix and /etc stays /etc.
set(CPACK_SET_DESTDIR ON)
# The shared libraries the binaries link decide the dependencies, as with debhelper.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins are loaded at run time and escape dpkg-shlibdeps: the desktop program draws every icon
# from SVG through the plugins of libqt6svg6, and Qt's own dialog texts (buttons, the folder
# chooser) come translated from the .qm files of qt6-translations-l10n.
if(TARGET wendaro)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
  # The chat sound is played by the desktop's player program; without one the program is silent.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio-utils | pipewire-bin | alsa-utils")
endif()
set(CPACK_STRIP_FILES ON)
# Directories the install creates get the usual modes, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The firewall profile is the only file in /etc: an administrator's edits to it survive upgrades.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/conffiles)
# Where the README tells users to find the package, whichever build folder made it.
set(WENDARO_PACKAGE_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder that receives the .deb")
set(CPACK_OUTPUT_FILE_PREFIX ${WENDARO_PACKAGE_DIR})
include(CPack)
