# `make package`: a Debian package and a .tar.gz of the installation, made by CPack. The package
# installs under /usr; the archive holds the same tree under a folder of its own and works from
# wherever it is unpacked.
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvel writes stories by chance from material built by hand: word lists (elements), \
sentence patterns that name elements between brackets (templates) and ordered lists of \
templates (projects), all plain GBK text files. It comes with a sample library, an editor for \
the material and quorvel-gen, which runs a saved project from a script.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts in Chinese (the edit boxes' menus, the file dialog) and a font for the texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")

include(CPack)
