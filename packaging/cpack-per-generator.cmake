# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE): the file names, and for a
# cross-built .deb the architecture whose libraries dpkg-shlibdeps reads.

if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "AxisTune-${CPACK_PACKAGE_VERSION}-win64-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "AxisTune-${CPACK_PACKAGE_VERSION}-win64")
elseif(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_AXISTUNE_CROSS_ARCHITECTURE)
  # dpkg-shlibdeps, which cpack runs from this process, takes the architecture whose library
  # paths (/usr/lib/<triplet>) and symbols files it reads from DEB_HOST_ARCH: the target's
  # libraries are there as Debian's multiarch packages (e.g. libqt6widgets6:armhf).
  set(ENV{DEB_HOST_ARCH} ${CPACK_AXISTUNE_CROSS_ARCHITECTURE})
endif()
