# Installation (GNUInstallDirs) and the Debian package (cpack -G DEB).
#
# Installed: the programs; tarnwatch's window module in lib/kestrelvox
# (the package's private library folder, where tarnwatch looks for it:
# tools/tarnwatch/TarnwatchWindow.cmake); in share/kestrelvox the skin mainskin.dll, the
# installer stand-in wceload.exe, the demo database VirusDB.dat (encoded
# here from resources/demo/signatures.txt) and its trust key update.pub;
# man pages (dist/man, roff sources whose title line gets the version,
# gzip-compressed at build time); one bash completion script under each
# program's name; the desktop launcher, the CAB handler and the icon; the
# XDG autostart entry; systemd user units with their timers.
# The expected file list of the package is dist/package-files.txt
# (checked by scripts/check-package.sh).
#
# tarnscan is built elsewhere in the tree: its binary, man page and
# completion are installed only when its target exists, so these rules hold
# before and after it lands. Included after every add_subdirectory.
include(GNUInstallDirs)

set(kv_dist_source "${PROJECT_SOURCE_DIR}/dist")
set(kv_dist_build "${PROJECT_BINARY_DIR}/dist")
set(kv_programs tarnwatch tarnsig tarnreg)
set(kv_man_pages tarnwatch.1 tarnsig.1 tarnreg.1 kestrelvox-database.5)
if(TARGET tarnscan)
  list(APPEND kv_programs tarnscan)
  list(APPEND kv_man_pages tarnscan.1)
endif()

install(TARGETS ${kv_programs} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
get_target_property(kv_window_module_dir kv_tarnwatch_window KV_INSTALL_DIR)
# A library, not a program: no execute bit.
install(TARGETS kv_tarnwatch_window LIBRARY DESTINATION "${kv_window_module_dir}"
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Man pages: gzip -n keeps the archive free of time stamps, so a rebuild
# gives the same bytes.
find_program(KV_GZIP gzip REQUIRED)
set(kv_compressed_pages)
foreach(page IN LISTS kv_man_pages)
  configure_file("${kv_dist_source}/man/${page}" "${kv_dist_build}/man/${page}" @ONLY)
  string(REGEX MATCH "[0-9]$" section "${page}")
  set(compressed "${kv_dist_build}/man/${page}.gz")
  add_custom_command(OUTPUT "${compressed}"
    COMMAND "${KV_GZIP}" -9 -n -f -k "${page}"
    DEPENDS "${kv_dist_build}/man/${page}"
    WORKING_DIRECTORY "${kv_dist_build}/man"
    COMMENT "Compressing the man page ${page}"
    VERBATIM)
  list(APPEND kv_compressed_pages "${compressed}")
  install(FILES "${compressed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
endforeach()

# The demo database as the package ships it, apart from the demo prefix,
# which a demo run changes.
set(kv_demo_source "${PROJECT_SOURCE_DIR}/resources/demo")
set(kv_demo_database "${kv_dist_build}/VirusDB.dat")
add_custom_command(OUTPUT "${kv_demo_database}"
  COMMAND tarnsig encode "${kv_demo_source}/signatures.txt" -o "${kv_demo_database}"
  DEPENDS tarnsig "${kv_demo_source}/signatures.txt"
  COMMENT "Encoding the demo database for installation"
  VERBATIM)
add_custom_target(dist-files ALL DEPENDS ${kv_compressed_pages} "${kv_demo_database}")

set(kv_data_dir "${CMAKE_INSTALL_DATADIR}/kestrelvox")
install(FILES "${PROJECT_BINARY_DIR}/resources/mainskin.dll" "${kv_demo_database}"
              "${kv_demo_source}/keys/update.pub"
        DESTINATION "${kv_data_dir}")
install(PROGRAMS "${kv_demo_source}/store/Windows/wceload.exe" DESTINATION "${kv_data_dir}")

foreach(program IN LISTS kv_programs)
  install(FILES "${kv_dist_source}/bash-completion/kestrelvox"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
          RENAME "${program}")
endforeach()

install(FILES "${kv_dist_source}/applications/kestrelvox.desktop"
              "${kv_dist_source}/applications/kestrelvox-cab.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${kv_dist_source}/icons/kestrelvox.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
# systemd looks for user units in <prefix>/lib/systemd/user, never in a
# multiarch library folder.
install(FILES "${kv_dist_source}/systemd/kestrelvox-update.service"
              "${kv_dist_source}/systemd/kestrelvox-update.timer"
              "${kv_dist_source}/systemd/kestrelvox-scan.service"
              "${kv_dist_source}/systemd/kestrelvox-scan.timer"
        DESTINATION "lib/systemd/user")

# The autostart entry belongs in /etc/xdg/autostart for a /usr install (the
# package), else in <prefix>/etc/xdg/autostart. Decided when installing,
# because the prefix of cmake --install --prefix and of cpack is known only
# then; file(INSTALL) adds DESTDIR as install() does.
set(kv_autostart_entry "${kv_dist_source}/autostart/kestrelvox-autocheck.desktop")
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(kv_autostart_dir \"/etc/xdg/autostart\")
  else()
    set(kv_autostart_dir \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
  endif()
  file(INSTALL \"${kv_autostart_entry}\" DESTINATION \"\${kv_autostart_dir}\")
")

# The Debian package. SHLIBDEPS asks dpkg-shlibdeps (dpkg-dev) for the
# libraries the programs and tarnwatch's window module link (Qt 6 and
# libcurl through the module, libsodium, Nettle, the C++ runtime);
# SET_DESTDIR makes cpack install with the prefix /usr into its staging
# folder, so that the autostart entry lands in /etc.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrelvox)
set(CPACK_PACKAGE_VENDOR Kestrelvox)
set(CPACK_PACKAGE_CONTACT "Kestrelvox developers <dev@kestrelvox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "signature-based anti-virus scanner for a handset's file store")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Kestrelvox scans the file store and the running programs of a handset, here a\n"
  "device prefix directory, for Trojans by content, path and process signatures.\n"
  "It brings the scanner tarnwatch, the signature database tool tarnsig and the\n"
  "registry tool tarnreg, with a demo signature database.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
# A file under /etc is the administrator's: dpkg keeps their changes.
file(WRITE "${kv_dist_build}/conffiles" "/etc/xdg/autostart/kestrelvox-autocheck.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${kv_dist_build}/conffiles")
include(CPack)
