# Installation and packages.
#
# Components:
#   runtime      the tool, its manual page and its documents (and, on Windows,
#                the examples): what a user needs
#   development  the core library, its headers and the CMake package that
#                find_package(cardset) finds, exporting cardset::core
#
# Packages (cpack from the build folder):
#   Linux   -G DEB: cardset (runtime) and cardset-dev (development)
#   Windows -G ZIP: one archive of the runtime component, for unpacking and running

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(cardset_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/cardset)
set(cardset_user_docs README.md docs/guide.md LICENSE CHANGELOG.md)
list(TRANSFORM cardset_user_docs PREPEND ${PROJECT_SOURCE_DIR}/)

if(WIN32)
  # An unpacked archive is used where it lies: the program and the documents at
  # its top, the examples beside them.
  install(TARGETS cardset RUNTIME DESTINATION . COMPONENT runtime)
  install(FILES ${cardset_user_docs} DESTINATION . COMPONENT runtime)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/english ${PROJECT_SOURCE_DIR}/examples/japanese
          DESTINATION examples COMPONENT runtime)
else()
  install(TARGETS cardset RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/cardset.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  install(FILES ${cardset_user_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
endif()

# The library, exported as cardset::core. Its include directory is
# include/cardset, so the headers keep the names the sources use
# ("deck/load_deck.h").
set_target_properties(cardset_core PROPERTIES EXPORT_NAME core)
install(TARGETS cardset_core EXPORT cardset_targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
if(WIN32)
  set(cardset_other_platform posix_platform.h)
else()
  set(cardset_other_platform win32_platform.h)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cardset COMPONENT development
        FILES_MATCHING PATTERN "*.h"
        PATTERN ${cardset_other_platform} EXCLUDE)
install(EXPORT cardset_targets NAMESPACE cardset:: FILE cardsetTargets.cmake
        DESTINATION ${cardset_config_dir} COMPONENT development)

file(WRITE ${PROJECT_BINARY_DIR}/cardsetConfig.cmake.in [=[
@PACKAGE_INIT@

include("${CMAKE_CURRENT_LIST_DIR}/cardsetTargets.cmake")
check_required_components(cardset)
]=])
configure_package_config_file(${PROJECT_BINARY_DIR}/cardsetConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/cardsetConfig.cmake
                              INSTALL_DESTINATION ${cardset_config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cardsetConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cardsetConfig.cmake
              ${PROJECT_BINARY_DIR}/cardsetConfigVersion.cmake
        DESTINATION ${cardset_config_dir} COMPONENT development)

if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

set(CPACK_PACKAGE_NAME cardset)
set(CPACK_PACKAGE_VENDOR "The cardset developers")
set(CPACK_PACKAGE_CONTACT "The cardset developers <cardset@example.org>")
# The summary is the project's DESCRIPTION; each Debian package gives its own
# first line below.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL runtime)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  # Unpacks into a folder of its own, cardset-1.0.0-win64.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(CPACK_ARCHIVE_FILE_NAME cardset-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_COMPONENTS_ALL runtime development)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME cardset)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
  set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
      "tool that deals sets of cards from a deck file
cardset reads four settings from config.txt, loads a deck file of one card
per line (single-byte or Shift_JIS text, handled as bytes), deals every set
by a seeded random walk with a recycle rule, writes one file per set and
prints a short report. It is used to split word lists into practice sets.")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME cardset-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
      "static library and CMake package of cardset
The core of cardset as a static C++20 library with its headers and a CMake
package: find_package(cardset) gives the target cardset::core, with which a
program loads decks and deals sets with a seed of its own choosing.")
endif()

# CPackDeb puts the package summary in front of every package's description
# unless the summary is left at CPack's default; so for DEB it is, and each
# description above begins with its own summary line.
file(WRITE ${PROJECT_BINARY_DIR}/cardset_cpack_options.cmake [=[
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_DEFAULT_PACKAGE_DESCRIPTION_SUMMARY}")
endif()
]=])
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cardset_cpack_options.cmake)

include(CPack)
