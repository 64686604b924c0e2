# What cpack makes of an installed build. The version is the project's.
set(CPACK_PACKAGE_VENDOR Quillseal)
set(CPACK_PACKAGE_CONTACT Quillseal)
set(CPACK_STRIP_FILES ON)

if(NOT WIN32)
  # The command line as a Debian package: cpack -G DEB in a Release build gives
  # quillseal-cli_<version>_<arch>.deb.
  set(CPACK_PACKAGE_NAME quillseal-cli)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "protect files with public-key cryptography")
  set(CPACK_PACKAGE_DESCRIPTION "quillseal-cli encrypts, decrypts, signs and verifies files with\n\
the user's key pair, certificates and trusted certification keys: the same\n\
files, formats and working folder as the Quillseal program for Windows.")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER Quillseal)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # dpkg-shlibdeps (dpkg-dev) finds the libc and libstdc++ versions the program needs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
