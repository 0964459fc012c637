# ---- The Windows installer and the portable zip ---------------------------------------------
# `cpack` in the build folder (or the `package` target) makes tavrin-<version>-win64.exe, an
# installer built by Debian's makensis from packaging/windows/NSIS.template.in, and
# tavrin-<version>-win64.zip, the stripped program alone for those who want no installer.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging/windows)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/packaging/windows/NSIS.template.in)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Tavrin clock project")   # the publisher in "Installed apps"
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tavrin)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tavrin)
set(CPACK_NSIS_PACKAGE_NAME "Tavrin Clock")
set(CPACK_NSIS_DISPLAY_NAME "Tavrin Clock")
set(CPACK_TAVRIN_ICON ${CMAKE_SOURCE_DIR}/src/platform/win32/tavrin.ico)
set(CPACK_STRIP_FILES ON)
include(CPack)
