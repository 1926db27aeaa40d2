# Where an installation puts things, relative to its prefix:
#   bin/                      fundhost, make-sample-db
#   lib/fundcompare/          the program's own shared libraries and the module (private to it)
#   share/fundcompare/        themes and the database schema
#   share/applications/, share/icons/hicolor/, share/man/man1/
# The program finds its libraries through its RPATH and its themes and module relative to its own
# location, so an installed tree can be moved as a whole.
include(GNUInstallDirs)
set(FC_INSTALL_PKGLIBDIR "lib/fundcompare" CACHE STRING "Folder of the program's private libraries, under the prefix")
set(FC_INSTALL_PKGDATADIR "${CMAKE_INSTALL_DATADIR}/fundcompare" CACHE STRING "Folder of the themes, under the prefix")
foreach(dir FC_INSTALL_PKGLIBDIR FC_INSTALL_PKGDATADIR CMAKE_INSTALL_BINDIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the prefix, so that the program finds its files")
    endif()
endforeach()

# The same folders seen from the program's own folder; compiled into fundhost.
file(RELATIVE_PATH FC_LIBDIR_FROM_BINDIR "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${FC_INSTALL_PKGLIBDIR}")
file(RELATIVE_PATH FC_DATADIR_FROM_BINDIR "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${FC_INSTALL_PKGDATADIR}")
