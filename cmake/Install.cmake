# Installation (`cmake --install`), the desktop entry with its icon, the man page, and the Debian
# package (`cpack`). The folders come from InstallDirs.cmake.
#
# Sections: the program and its libraries; icon and desktop entry; man page; data and documents;
# the Debian package.

# ---- The program and its libraries ---------------------------------------------------------------

# The project's shared libraries that the given targets reach through their link libraries, so
# that a library added later is installed without an edit here.
function(fc_shared_libraries_of out)
    set(queue ${ARGN})
    set(seen)
    set(found)
    while(queue)
        list(POP_FRONT queue target)
        if(NOT TARGET ${target} OR target IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${target})
        get_target_property(imported ${target} IMPORTED)
        if(imported)
            continue()
        endif()
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
            list(APPEND found ${target})
        endif()
        set(links)
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(items ${target} ${property})
            if(items)
                list(APPEND links ${items})
            endif()
        endforeach()
        foreach(item IN LISTS links)
            # Static libraries pass their own dependencies on as $<LINK_ONLY:name>.
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
            if(TARGET ${item})
                list(APPEND queue ${item})
            endif()
        endforeach()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

fc_shared_libraries_of(FC_INSTALLED_LIBRARIES fundhost fundcompare)

install(TARGETS fundhost make-sample-db fund-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${FC_INSTALLED_LIBRARIES} LIBRARY DESTINATION ${FC_INSTALL_PKGLIBDIR})
# The program finds its libraries next to itself in the build tree and in the private library
# folder once installed; the libraries find each other in their own folder.
set_target_properties(fundhost PROPERTIES INSTALL_RPATH "$ORIGIN/${FC_LIBDIR_FROM_BINDIR}")
set_target_properties(${FC_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")

# ---- Icon and desktop entry -----------------------------------------------------------------------

set(FC_ICON_SIZES 16 24 32 48 64 128 256)
set(FC_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
set(FC_ICON_FILES)
foreach(size IN LISTS FC_ICON_SIZES)
    list(APPEND FC_ICON_FILES ${FC_ICON_DIR}/${size}x${size}/apps/fundcompare.png)
endforeach()
add_custom_command(
    OUTPUT ${FC_ICON_FILES}
    COMMAND make-icon ${FC_ICON_DIR} ${FC_ICON_SIZES}
    DEPENDS make-icon
    COMMENT "Drawing the program's icon"
    VERBATIM)
add_custom_target(fundcompare-icons ALL DEPENDS ${FC_ICON_FILES})
install(DIRECTORY ${FC_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${CMAKE_SOURCE_DIR}/host/app/fundcompare.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# ---- Man page -------------------------------------------------------------------------------------

# Written from the program's own --help, so the page and the program never disagree. Debian keeps
# man pages compressed.
set(FC_MAN_PAGE ${CMAKE_BINARY_DIR}/man/fundhost.1)
set(FC_MAN_SUMMARY "compare mutual funds side by side")
set(FC_MAN_DESCRIPTION
    "fundhost shows up to 100 mutual funds side by side on the pages of its comparison tab: general facts, performance over thirteen periods with peer and overall ranks, a risk-return chart, asset allocation and industry allocation at a quarterly report date.

Type a fund's code, the pinyin initials of its name or a part of its name into the box of the comparison tab and press Enter to add it.

Without --db it opens a sample database of invented funds, made on first use.")
set(FC_MAN_DESCRIPTION_FILE ${CMAKE_BINARY_DIR}/man/fundhost.description)
file(CONFIGURE OUTPUT ${FC_MAN_DESCRIPTION_FILE} CONTENT "${FC_MAN_DESCRIPTION}\n" @ONLY)
find_program(FC_GZIP gzip)
set(FC_MAN_COMMANDS COMMAND make-manpage $<TARGET_FILE:fundhost> ${FC_MAN_PAGE} --summary ${FC_MAN_SUMMARY}
                    --description-file ${FC_MAN_DESCRIPTION_FILE})
if(FC_GZIP)
    set(FC_MAN_INSTALLED ${CMAKE_BINARY_DIR}/man/man1/fundhost.1.gz)
    list(APPEND FC_MAN_COMMANDS
         COMMAND ${CMAKE_COMMAND} -E copy ${FC_MAN_PAGE} ${CMAKE_BINARY_DIR}/man/man1/fundhost.1
         COMMAND ${FC_GZIP} -9nf ${CMAKE_BINARY_DIR}/man/man1/fundhost.1)
else()
    set(FC_MAN_INSTALLED ${FC_MAN_PAGE})
endif()
add_custom_command(
    OUTPUT ${FC_MAN_PAGE} ${FC_MAN_INSTALLED}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/man1
    ${FC_MAN_COMMANDS}
    DEPENDS fundhost make-manpage ${FC_MAN_DESCRIPTION_FILE}
    COMMENT "Writing the man page of fundhost from its --help"
    VERBATIM)
add_custom_target(fundhost-manpage ALL DEPENDS ${FC_MAN_PAGE} ${FC_MAN_INSTALLED})
install(FILES ${FC_MAN_INSTALLED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The importer's page, the same way from its own --help.
set(FC_IMPORT_MAN_PAGE ${CMAKE_BINARY_DIR}/man/fund-import.1)
set(FC_IMPORT_MAN_DESCRIPTION_FILE ${CMAKE_BINARY_DIR}/man/fund-import.description)
file(CONFIGURE OUTPUT ${FC_IMPORT_MAN_DESCRIPTION_FILE}
     CONTENT "fund-import fills a fund database of your own for fundhost. Every accepted column, an example of each kind of file and the definition of each figure it derives are in docs/import.md.\n" @ONLY)
set(FC_IMPORT_MAN_COMMANDS COMMAND make-manpage $<TARGET_FILE:fund-import> ${FC_IMPORT_MAN_PAGE} --summary
                           "import fund lists, net values and holdings into a fund database"
                           --description-file ${FC_IMPORT_MAN_DESCRIPTION_FILE})
if(FC_GZIP)
    set(FC_IMPORT_MAN_INSTALLED ${CMAKE_BINARY_DIR}/man/man1/fund-import.1.gz)
    list(APPEND FC_IMPORT_MAN_COMMANDS
         COMMAND ${CMAKE_COMMAND} -E copy ${FC_IMPORT_MAN_PAGE} ${CMAKE_BINARY_DIR}/man/man1/fund-import.1
         COMMAND ${FC_GZIP} -9nf ${CMAKE_BINARY_DIR}/man/man1/fund-import.1)
else()
    set(FC_IMPORT_MAN_INSTALLED ${FC_IMPORT_MAN_PAGE})
endif()
add_custom_command(
    OUTPUT ${FC_IMPORT_MAN_PAGE} ${FC_IMPORT_MAN_INSTALLED}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/man1
    ${FC_IMPORT_MAN_COMMANDS}
    DEPENDS fund-import make-manpage ${FC_IMPORT_MAN_DESCRIPTION_FILE}
    COMMENT "Writing the man page of fund-import from its --help"
    VERBATIM)
add_custom_target(fund-import-manpage ALL DEPENDS ${FC_IMPORT_MAN_PAGE} ${FC_IMPORT_MAN_INSTALLED})
install(FILES ${FC_IMPORT_MAN_INSTALLED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ---- Data and documents ---------------------------------------------------------------------------

install(FILES ${CMAKE_SOURCE_DIR}/host/themes/dark.xml ${CMAKE_SOURCE_DIR}/host/themes/light.xml
        DESTINATION ${FC_INSTALL_PKGDATADIR}/themes)
# The schema, for people who fill a database of their own.
install(FILES ${CMAKE_SOURCE_DIR}/data/schema.sql DESTINATION ${FC_INSTALL_PKGDATADIR})
# The example files of docs/import.md, to try fund-import on.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/examples/ DESTINATION ${FC_INSTALL_PKGDATADIR}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/fundcompare)

# ---- The Debian package ---------------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fundcompare)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compare mutual funds side by side")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop program that gathers up to 100 mutual funds and shows them side by side: general facts, performance with ranks, a risk-return chart, asset and industry allocation. It reads a SQLite fund database and comes with a generated sample database of invented funds.")
set(CPACK_PACKAGE_CONTACT "Fund comparison developers <fundcompare@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries' packages come from dpkg-shlibdeps; the font of the themes is no library
# and is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
