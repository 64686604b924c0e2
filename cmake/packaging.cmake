# What cpack makes of an installed build. The version is the project's.
set(CPACK_PACKAGE_VENDOR Quillseal)
# Whoever answers for the packages, with an address, as Debian requires.
set(QS_MAINTAINER "Quillseal <quillseal@example.org>" CACHE STRING "Name and address of the packages' maintainer")
set(CPACK_PACKAGE_CONTACT "${QS_MAINTAINER}")
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
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QS_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # dpkg-shlibdeps (dpkg-dev) finds the libc and libstdc++ versions the program needs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

  # The changelog and copyright file every Debian package carries, dated by the commit
  # (SOURCE_DATE_EPOCH, as scripts/package sets it); the changelog as a native package has it.
  include(GNUInstallDirs)
  set(QS_DEBIAN_DOC ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
  string(TIMESTAMP QS_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  string(TIMESTAMP QS_COPYRIGHT_YEAR "%Y" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in changelog @ONLY)
  qs_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright copyright @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_BINARY_DIR}/copyright
          DESTINATION ${QS_DEBIAN_DOC})
endif()

include(CPack)
