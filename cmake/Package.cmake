# The Debian package (`make package`): CPack packs what `cmake --install` installs, stripped,
# under /usr, as build/vimbrelcastor_<version>_<arch>.deb.

set(VC_PACKAGE_MAINTAINER "Vimbrelcastor developers <vimbrelcastor@kestrovia.example>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vimbrelcastor)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Debian's own synopsis style: lower case, no full stop. Each line of the long description
# stays a line of the control file.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "prepare photos and slides for a projector's memory card")
set(CPACK_PACKAGE_DESCRIPTION
    "Vimbrelcastor imports photos (JPEG, PNG, BMP, TIFF, HEIC, AVIF, WebP) and
presentation slides (PDF, and .ppt, .pptx, .odp converted by LibreOffice),
arranges them in one ordered grid of thumbnails and writes them as 800 x 600
(or 1024 x 768, 1280 x 1024, 1280 x 800, 1920 x 1080) JPEG files with an Exif
block and a thumbnail onto a memory card in the camera folder layout (DCIM),
so that a projector shows them straight from the card. The user's own files
are never changed.

Every text is in English and Japanese. A batch mode (--batch) does the same
work without a window, for scripts and machines without a display.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VC_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries the program links, as dpkg-shlibdeps finds them (Qt, libvips, libexif, ...).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Slides need a LibreOffice, run headless. The full libreoffice-impress comes first: this is a
# desktop program, and its users' LibreOffice is the full one, which the -nogui variant
# conflicts with (installing one removes the other). A machine that already has the -nogui
# variant (a server running batch mode) keeps it, as it serves just as well.
# fonts-crosextra-carlito and -caladea have the widths of Calibri and Cambria, the fonts most
# decks name, so that a slide's text breaks its lines where its author saw them break.
# fonts-noto-cjk draws the Japanese texts; qt6-translations-l10n holds Qt's own Japanese
# texts (the file pickers, the standard buttons). udisks2 lists the cards with their names and
# sizes and ejects them. qt6-wayland lets the window run natively on a Wayland desktop (GNOME's
# and KDE's default) instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-impress | libreoffice-impress-nogui, fonts-crosextra-carlito, \
fonts-crosextra-caladea, fonts-noto-cjk, qt6-translations-l10n, udisks2, qt6-wayland")

include(CPack)
