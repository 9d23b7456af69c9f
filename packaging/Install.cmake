# The installed layout (cmake --install) and the Debian package (cpack -G DEB).
#   bin/ZarvMulVideoEditor                      the program, on the PATH
#   lib/zarvmulvideoeditor/                     its companions: ZarvRebooter, CutMedia.dll,
#                                               Black.dll, translations/
#   share/applications, share/metainfo,
#   share/icons/hicolor/{scalable,48x48,256x256}/apps
# The program looks for its companions beside itself first, then in
# ../lib/zarvmulvideoeditor (AppFolders).
set(ZARV_APP_ID org.zarv.ZarvMulVideoEditor)
set(ZARV_COMPANION_DIR lib/zarvmulvideoeditor)
set(ZARV_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# Installing (and packing) needs only the installed programs built, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS ZarvMulVideoEditor RUNTIME DESTINATION bin)
install(TARGETS ZarvRebooter RUNTIME DESTINATION ${ZARV_COMPANION_DIR})
# The media tool is the system's FFmpeg under the name the program runs it by:
# a link, so FFmpeg's own updates reach it.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${FFMPEG_EXECUTABLE} ${CMAKE_BINARY_DIR}/packaging/CutMedia.dll SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/CutMedia.dll DESTINATION ${ZARV_COMPANION_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/Black.bmp DESTINATION ${ZARV_COMPANION_DIR} RENAME Black.dll)
# The Chinese Qt translation the program loads from its own folder first.
find_file(ZARV_QT_CHINESE_TRANSLATION qtbase_zh_CN.qm
  PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations NO_DEFAULT_PATH)
if(ZARV_QT_CHINESE_TRANSLATION)
  install(FILES ${ZARV_QT_CHINESE_TRANSLATION} DESTINATION ${ZARV_COMPANION_DIR}/translations)
else()
  message(WARNING "qtbase_zh_CN.qm not found (Debian package qt6-translations-l10n): not installed")
endif()

install(FILES ${ZARV_PACKAGING_DIR}/${ZARV_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${ZARV_PACKAGING_DIR}/${ZARV_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${ZARV_PACKAGING_DIR}/icons/${ZARV_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES ${ZARV_PACKAGING_DIR}/icons/${ZARV_APP_ID}-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${ZARV_APP_ID}.png)
endforeach()

# The window's own icon, also where no icon theme has it (the build folder).
set_property(TARGET ZarvMulVideoEditor PROPERTY AUTORCC ON)
target_sources(ZarvMulVideoEditor PRIVATE ${ZARV_PACKAGING_DIR}/icons/icons.qrc)

# ---- Debian package -------------------------------------------------------------
# Built by scripts/package with the update URL empty: the package manager owns
# the installed files, so the program never updates itself (installed, it does
# not check for updates in any case).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvmulvideoeditor)
set(CPACK_PACKAGE_VERSION 02)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "makes many distinct four-up videos in one batch")
set(CPACK_PACKAGE_DESCRIPTION "Fill the lists of video clips, sound files and pictures, pick a \
composition mode, and the program draws sources at random and lays them out in a two-by-two grid \
with a sound track.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZarvMulVideoEditor developers <zarvmulvideoeditor@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The libraries the programs link come from dpkg-shlibdeps; the rest are what
# they run or load: FFmpeg, the archive tool, Qt's platform and image plugins,
# Qt's translations and a font with Chinese characters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "ffmpeg, libmediainfo0v5, qt6-qpa-plugins, qt6-image-formats-plugins, qt6-translations-l10n, libarchive-tools, fonts-noto-cjk")
include(CPack)

# The package on a brand-new Debian 12 root: installed with apt, the demo made
# by the installed program, removed cleanly (needs root; fails without).
if(ZARV_BUILD_TESTS)
  add_test(NAME PackageInstallsOnFreshDebian
    COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/install-on-fresh-debian.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(PackageInstallsOnFreshDebian PROPERTIES TIMEOUT 1500)
endif()
