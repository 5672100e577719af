# Warnings and sanitizers for our own targets. Third-party code (googletest) is not affected
# because it is added before these flags reach it through axistune_target_defaults().

function(axistune_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(AXISTUNE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(AXISTUNE_SANITIZE STREQUAL "asan")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(AXISTUNE_SANITIZE STREQUAL "tsan")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT AXISTUNE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "AXISTUNE_SANITIZE must be empty, asan or tsan")
endif()

if(WIN32)
  # One self-contained exe: no MinGW runtime DLLs next to it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# Each layer exposes only its own headers: a folder in the build tree holds one link, named
# after the layer, to the layer's sources, and that folder is the library's public include
# root. A target sees the headers of the layers it links and no others. Where links cannot be
# made (a Windows host without the privilege), the whole source tree is exposed instead and
# only the include-order check guards the direction.
function(axistune_layer target layer)
  set(root ${PROJECT_BINARY_DIR}/layers/${layer})
  if(NOT EXISTS ${root}/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${root}/${layer} RESULT linked SYMBOLIC)
    if(NOT linked STREQUAL "0")
      set(root ${PROJECT_SOURCE_DIR}/src)
    endif()
  endif()
  target_include_directories(${target} PUBLIC ${root})
  axistune_target_defaults(${target})
endfunction()

# A header-only library from Debian's packages (found under /usr/include as header_dir/probe),
# given to target as a system include root that holds only that library's folder: the cross
# builds must not see the build machine's /usr/include.
function(axistune_header_library target visibility header_dir probe)
  string(MAKE_C_IDENTIFIER "${header_dir}" id)
  string(TOUPPER "${id}" id)
  find_path(AXISTUNE_${id}_INCLUDE ${header_dir}/${probe} PATHS /usr/include
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(root ${PROJECT_BINARY_DIR}/third_party/${id})
  if(NOT EXISTS ${root}/${header_dir})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${AXISTUNE_${id}_INCLUDE}/${header_dir} ${root}/${header_dir}
         COPY_ON_ERROR SYMBOLIC)
  endif()
  target_include_directories(${target} SYSTEM ${visibility} ${root})
endfunction()
