# The Windows installer (NSIS), included by cmake/Packaging.cmake.
set(_nsis ${PROJECT_SOURCE_DIR}/packaging/windows)

# The project's template: NSIS's default 32-bit stubs do not run on a 64-bit-only system.
list(PREPEND CMAKE_MODULE_PATH ${_nsis})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/packaging/notices/THIRD-PARTY-NOTICES.txt)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")

# One name without the version for the uninstall entry, the Start-menu folder and the product,
# as for the install folder (CPACK_PACKAGE_INSTALL_DIRECTORY): a newer release finds the older
# one there, uninstalls it and takes its place. The version shows in the installer's title and
# as the entry's DisplayVersion.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY AxisTune)
set(CPACK_NSIS_PACKAGE_NAME AxisTune)
set(CPACK_NSIS_DISPLAY_NAME AxisTune)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES axistune AxisTune)
set(CPACK_NSIS_INSTALLED_ICON_NAME axistune.exe)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN axistune.exe)
set(CPACK_NSIS_MODIFY_PATH OFF)

# The pages' pictures, drawn from the program's icon by make-images.sh.
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/ui/resources/axistune.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/src/ui/resources/axistune.ico)
set(CPACK_NSIS_MUI_HEADERIMAGE ${_nsis}/header.bmp)
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${_nsis}/welcome-finish.bmp)
set(CPACK_NSIS_MUI_UNWELCOMEFINISHPAGE_BITMAP ${_nsis}/welcome-finish.bmp)
