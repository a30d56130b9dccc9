# The Debian package: `cpack -G DEB` in the build folder (after building) makes
# tinselwick_<version>_<arch>.deb from the install rules, with the run-time
# dependencies worked out from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tinselwick)
set(CPACK_PACKAGE_VENDOR "The Tinselwick developers")
set(CPACK_PACKAGE_CONTACT "Tinselwick maintainers <maintainers@tinselwick.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "secret-gift (Kris Kringle) draw with printed letters")
set(CPACK_PACKAGE_DESCRIPTION
    "Tinselwick keeps a register of groups and the participants in them, draws for\n"
    "every giver one taker from another group, and prints one letter per giver from\n"
    "an editable template, and the whole allocation as a list. Documents are kept\n"
    "in .kks files.\n"
    "\n"
    "The package holds the desktop program and tinselwick-cli, which shows, draws\n"
    "and prints documents without a window, imports and exports participant\n"
    "lists as CSV, and sends each giver their letter by e-mail.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tinselwick.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the programs link are found by dpkg-shlibdeps; the windowing plug-in
# Qt loads at run time is not, so it is named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# tinselwick-cli mail verifies the mail server's certificate against the system's store.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
# Files must be owned by root in the package whoever builds it.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's own packages lose the compiler's notes (.comment) when they are stripped;
# CPack's strip keeps them, so they go here, once the programs are installed and stripped.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program
        \"${CMAKE_INSTALL_BINDIR}/tinselwick\"
        \"${CMAKE_INSTALL_BINDIR}/tinselwick-cli\"
        \"${CMAKE_INSTALL_LIBEXECDIR}/tinselwick/tinselwick-print\")
      execute_process(
        COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
")

include(CPack)
