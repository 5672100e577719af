# What a user installs: on Windows an NSIS installer and a portable zip, on Linux a .deb.
# Each program is packaged when this build has its target; `cpack` in the build tree (or
# scripts/package.sh for all of them) writes the packages.
#
# The install rules live here rather than beside each program so that a program that is not
# part of this build (no Qt, a cross build without it) simply leaves the package.

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)

# Writes a gzip copy of FROM at configure time (again whenever FROM changes).
function(axistune_gzip from to)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${from})
  execute_process(COMMAND gzip -9nc ${from} OUTPUT_FILE ${to} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Packaging: cannot compress ${from}")
  endif()
endfunction()
set(_cli_target "")
foreach(candidate axistune_cli axistune-cli)
  if(TARGET ${candidate})
    set(_cli_target ${candidate})
    break()
  endif()
endforeach()

set(CPACK_PACKAGE_NAME AxisTune)
set(CPACK_PACKAGE_VENDOR AxisTune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configurator for the DX3, DX5 and RV5 telescope-mount motor controllers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY AxisTune)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/cpack)
set(CPACK_THREADS 0)
# File names, the cross builds' dependency lookup and the like are decided per generator when
# cpack runs.
set(CPACK_PROJECT_CONFIG_FILE ${_pkg}/cpack-per-generator.cmake)
# The settings file's description (axistune-cli's backup format), once it is written.
file(GLOB _settings_doc ${PROJECT_SOURCE_DIR}/docs/settings-file*.md)

if(WIN32)
  # ---- Windows: everything in one folder, as the portable zip is run from it. ----
  foreach(program axistune ${_cli_target})
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${_settings_doc}
          DESTINATION .)

  # The programs link the MinGW-w64 runtime, winpthreads and GCC's runtime statically; their
  # notices go with every copy. Debian's toolchain keeps them in its packages' copyright files.
  install(FILES ${_pkg}/notices/THIRD-PARTY-NOTICES.txt DESTINATION notices)
  set(_mingw_notice /usr/share/doc/mingw-w64-x86-64-dev/copyright)
  set(_gcc_notice /usr/share/doc/gcc-mingw-w64-base/copyright)
  foreach(pair "${_mingw_notice}|mingw-w64-runtime-and-winpthreads.txt"
               "${_gcc_notice}|gcc-runtime-libraries.txt")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 as)
    if(EXISTS ${from})
      install(FILES ${from} DESTINATION notices RENAME ${as})
    else()
      message(WARNING "Packaging: ${from} is missing; the packages would lack the notice "
                      "${as} of a statically linked runtime")
    endif()
  endforeach()

  set(CPACK_GENERATOR NSIS ZIP)
  include(${_pkg}/windows/nsis.cmake)
else()
  # ---- Linux: one .deb named axistune. ----
  set(_doc share/doc/axistune)
  foreach(program axistune_qt ${_cli_target} dxsim)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION bin)
    endif()
  endforeach()

  # Debian keeps manual pages and changelogs compressed.
  set(_gz ${PROJECT_BINARY_DIR}/packaging-gz)
  file(MAKE_DIRECTORY ${_gz})
  set(_pages dxsim.1)
  if(_cli_target AND EXISTS ${_pkg}/linux/axistune-cli.1)
    list(APPEND _pages axistune-cli.1)
  elseif(_cli_target)
    message(WARNING "Packaging: packaging/linux/axistune-cli.1 is missing; the .deb has no "
                    "manual page for axistune-cli")
  endif()
  foreach(page ${_pages})
    axistune_gzip(${_pkg}/linux/${page} ${_gz}/${page}.gz)
    install(FILES ${_gz}/${page}.gz DESTINATION share/man/man1)
  endforeach()
  axistune_gzip(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${_gz}/changelog.gz)
  install(FILES ${_gz}/changelog.gz ${_pkg}/linux/copyright ${_pkg}/linux/README.Debian
                ${PROJECT_SOURCE_DIR}/README.md ${_settings_doc} DESTINATION ${_doc})

  if(TARGET axistune_qt)
    install(FILES ${_pkg}/linux/axistune.desktop DESTINATION share/applications)
    install(FILES ${_pkg}/linux/axistune.png DESTINATION share/icons/hicolor/48x48/apps)
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME axistune)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "AxisTune developers")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "AxisTune sets up the motor controllers of telescope mounts over a serial port:\n"
      "axistune is the window program, axistune-cli backs up, compares and restores a\n"
      "controller's settings, and dxsim is a simulated controller to try them without\n"
      "hardware.")
  string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_pkg}/linux/postinst)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # dpkg-shlibdeps works out the dependencies, the cross builds' too: their libraries come from
  # Debian's multiarch packages, and cpack-per-generator.cmake points it at the target
  # architecture.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(CMAKE_CROSSCOMPILING)
    # Debian's armhf is ARMv7 with hardware floating point, what arm-linux-gnueabihf builds.
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
      set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(arm|armv7.*|armhf)$")
      set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
    else()
      message(FATAL_ERROR "Packaging: no Debian architecture known for ${CMAKE_SYSTEM_PROCESSOR}")
    endif()
    set(CPACK_AXISTUNE_CROSS_ARCHITECTURE ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
  endif()
endif()

include(CPack)
