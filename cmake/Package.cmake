# The Debian package, built by CPack's DEB generator (scripts/package runs
# it): what "cmake --install" puts under /usr, with the dependencies that
# dpkg-shlibdeps finds in the programs and a face AAs are drawn for.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ridaxo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${RIDAXO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organise collections of Japanese text art (AA)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ridaxo organises collections of Japanese text art (AA), pictures drawn\n"
    "with Shift-JIS characters. It opens an AA text file holding thousands of\n"
    "AAs, groups them into folders by the leading characters of their names,\n"
    "lets the user rearrange them, shows each AA in a face with the glyph\n"
    "widths AAs are drawn for, and saves the arrangement as an index file\n"
    "(.rix) beside the text file, which it never writes.\n"
    ".\n"
    "The package holds the window program, ridaxo, and ridaxo-cli, which opens\n"
    "and saves the same files from the command line.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RIDAXO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link: the wx runtime, GTK and the C++ library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a library of the programs, so dpkg-shlibdeps cannot see it: AAs line
# up only in a face with the standard AA face's glyph widths.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-monapo | fonts-ipafont-gothic")
# The new file types and icons take effect through the triggers of
# shared-mime-info, desktop-file-utils and the icon cache; xdg-utils lets
# the user's tools ask for them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)

include(CPack)
