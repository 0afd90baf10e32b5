# `cpack -G DEB` in a build folder makes snippary_<version>_amd64.deb. The desktop,
# MIME and icon caches are refreshed by the triggers of the packages that own them,
# so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snippary)
set(CPACK_PACKAGE_VENDOR "The VBSnippary developers")
set(CPACK_PACKAGE_CONTACT "The VBSnippary developers <vbsnippary@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "code-snippet library for the desktop and the terminal")
set(CPACK_PACKAGE_DESCRIPTION "Keeps reusable code by category in a library file: browse, search, edit,\n\
export as a coloured HTML page, and insert into Neovim. Libraries can be\n\
encrypted with a password. The snippary command works on libraries from\n\
a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SNIPPARY_HOME_PAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help pages and the home page open in the desktop's browser; the editor add-in needs Neovim.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "neovim")
include(CPack)
