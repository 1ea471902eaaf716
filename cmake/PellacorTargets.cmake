# Shared settings for every target of our own: warnings as errors and, in the
# sanitizer builds, ASan and UBSan or TSan on both compile and link.
option(PELLACOR_TSAN "Build with ThreadSanitizer" OFF)

function(pellacor_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # The assembly goes straight to the assembler, not through a temporary file:
  # a sanitizer build makes tens of megabytes of it per file, and a small /tmp
  # fills up with eight compilers at once.
  target_compile_options(${target} PRIVATE -pipe)
  target_compile_features(${target} PUBLIC cxx_std_20)
  # The layer check runs before any of our targets builds, also for a build of
  # one target alone.
  if(TARGET layers)
    add_dependencies(${target} layers)
  endif()
  # The checking builds compile a module's files in batches (CMAKE_UNITY_BUILD).
  # GCC then takes a coroutine frame that holds a lambda of a file's own as a
  # type of no linkage in a header; it is not one, so that warning is off there.
  if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
  if(PELLACOR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
  if(PELLACOR_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  endif()
endfunction()

# A module library: every .cpp below its folder, headers included as
# "Module/Folder/File.h" from the Sources root.
function(pellacor_module target dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(ARGN)
    foreach(excluded IN LISTS ARGN)
      list(FILTER sources EXCLUDE REGEX "${excluded}")
    endforeach()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/Sources")
  pellacor_settings(${target})
endfunction()
