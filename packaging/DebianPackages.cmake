# `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr makes
# four packages, split as Debian splits a library and its programs.
set(CPACK_PACKAGE_NAME "vorl-maker")
set(CPACK_PACKAGE_VENDOR "VORL Maker for Linux developers")
set(CPACK_PACKAGE_CONTACT "VORL Maker for Linux developers <maintainers@vorlmaker.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pack numbered files into one data file with an index table")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools editor)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vorlmaker.example/")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# Dependencies come from the binaries themselves. The programs link the
# library, which is in none of the system's packages while they are built:
# dpkg-shlibdeps finds it in the build tree and, through the shlibs entry
# that the pre-build script adds, knows which package it comes from.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(VORL_RUNTIME_PACKAGE "libvorl-cnv${PROJECT_VERSION_MAJOR}")
set(VORL_DEVELOPMENT_PACKAGE "libvorl-cnv-dev")
# The binaries are stripped by a pre-build script, as Debian strips them;
# CPack's own strip would keep the sections Debian removes.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/DebianStrip.cmake ${CMAKE_CURRENT_BINARY_DIR}/DebianShlibsLocal.cmake)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/DebianStrip.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/DebianStrip.cmake @ONLY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/DebianShlibsLocal.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/DebianShlibsLocal.cmake
    @ONLY)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${VORL_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION "libs")
# The library's shlibs entry for other packages, and the linker cache
# refreshed by trigger rather than by maintainer scripts.
set(runtime_control ${CMAKE_CURRENT_BINARY_DIR}/runtime-control)
file(WRITE ${runtime_control}/shlibs
     "libvorl_cnv ${PROJECT_VERSION_MAJOR} ${VORL_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})\n")
file(WRITE ${runtime_control}/triggers "activate-noawait ldconfig\n")
# The symbols file, one line for each name of the export list that the
# exported_symbols test holds the library to, so the two cannot drift apart;
# a name added there is in the next package without a change here. The
# SONAME is the library target's own.
set(export_list ${PROJECT_SOURCE_DIR}/tests/exported_symbols.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${export_list})
file(STRINGS ${export_list} exports REGEX "[^ \t]")
list(SORT exports)
set(symbols "$<TARGET_SONAME_FILE_NAME:vorl_cnv> ${VORL_RUNTIME_PACKAGE} #MINVER#\n")
string(APPEND symbols "* Build-Depends-Package: ${VORL_DEVELOPMENT_PACKAGE}\n")
foreach(name IN LISTS exports)
    string(STRIP "${name}" name)
    string(APPEND symbols " ${name}@Base ${PROJECT_VERSION}\n")
endforeach()
file(GENERATE OUTPUT ${runtime_control}/symbols CONTENT "${symbols}")
# CPack writes a postinst and a postrm that call ldconfig for a package with
# a library in the linker's folders, unless the package brings scripts of
# those names itself. The names are given here, the files are never made
# (CPack warns of each as a missing file: that is this, not a fault): the
# trigger does the work, and the package has no maintainer scripts.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${runtime_control}/shlibs ${runtime_control}/triggers
    ${runtime_control}/symbols ${runtime_control}/no-scripts/postinst ${runtime_control}/no-scripts/postrm)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "conversion library of VORL Maker\n The shared library libvorl_cnv packs a numbered list of input files into\n one data file and writes the index table that lets a consuming program\n find each packed item by its number.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${VORL_DEVELOPMENT_PACKAGE})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION "libdevel")
# A development package always goes with its own version of the library.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${VORL_RUNTIME_PACKAGE} (= ${PROJECT_VERSION}-1)")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "development files of the VORL Maker conversion library\n The header vorl_cnv.h, the CMake package VorlCnv, the pkg-config file\n vorl_cnv.pc and the manual page vorl_cnv(3) of the library libvorl_cnv.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME "vorl-tools")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "command-line tools of VORL Maker\n vorlcnv packs numbered files into one data file with its index table, from\n a shell script or a build; VorlList writes the list of numbered files that\n vorlcnv reads.")

set(CPACK_DEBIAN_EDITOR_PACKAGE_NAME "vorlmake")
set(CPACK_DEBIAN_EDITOR_PACKAGE_SECTION "devel")
# The editor loads the library with dlopen, which no tool can see.
set(CPACK_DEBIAN_EDITOR_PACKAGE_DEPENDS "${VORL_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})")
# Qt's own buttons and dialogs in Japanese under a Japanese locale.
set(CPACK_DEBIAN_EDITOR_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_COMPONENT_EDITOR_DESCRIPTION
    "project editor of VORL Maker\n vorlmake edits a project of numbered input files, its converters and its\n index settings, and converts it into one data file with its index table.")

include(CPack)
