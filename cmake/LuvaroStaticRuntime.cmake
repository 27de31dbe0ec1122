# The program's executable on Linux carries libxml2 (with the libraries it was built with: ICU,
# liblzma), libstdc++ and libgcc inside it instead of loading them at start. Each shared library
# is a file to map and a set of symbols to bind before main() runs; these six (ICU's code and
# its data are two) cost about 3.5 ms of a start that otherwise takes 17 ms, on every run the
# ERP makes. The
# libraries and the tests keep linking the shared libxml2: only a target marked with
# luvaro_link_static_runtime() takes the archives. Debian's own archives are used (libxml2-dev,
# libicu-dev, liblzma-dev), built with the same options as the shared library, so the headers
# the tree compiles against describe the code it links.
#
# luvaro_libxml2 is what the tree links instead of LibXml2::LibXml2: the shared library, or the
# archives when the executable being linked asks for them. libp11 stays shared (LGPL); OpenSSL,
# curl and the C library are shared as on any Debian program.

# The archives, in the order pkg-config gives for a static link of libxml2. Libraries every
# process already has (the C library's libm and libdl, zlib, which curl loads anyway) stay
# shared.
set(LUVARO_LIBXML2_ARCHIVES "")
pkg_check_modules(LUVARO_LIBXML2_STATIC QUIET libxml-2.0)
foreach(name IN LISTS LUVARO_LIBXML2_STATIC_STATIC_LIBRARIES)
  if(name MATCHES "^(m|dl|pthread|z)$")
    list(APPEND LUVARO_LIBXML2_ARCHIVES ${name})
    continue()
  endif()
  find_library(LUVARO_ARCHIVE_${name} NAMES lib${name}.a)
  if(NOT LUVARO_ARCHIVE_${name})
    message(STATUS "lib${name}.a not found: the executable links the shared libxml2")
    set(LUVARO_LIBXML2_ARCHIVES "")
    break()
  endif()
  list(APPEND LUVARO_LIBXML2_ARCHIVES "${LUVARO_ARCHIVE_${name}}")
endforeach()

add_library(luvaro_libxml2 INTERFACE)
target_link_libraries(luvaro_libxml2 INTERFACE
  "$<IF:$<BOOL:$<TARGET_PROPERTY:LUVARO_STATIC_RUNTIME>>,${LUVARO_LIBXML2_ARCHIVES},LibXml2::LibXml2>")
target_include_directories(luvaro_libxml2 INTERFACE ${LIBXML2_INCLUDE_DIRS})
target_compile_definitions(luvaro_libxml2 INTERFACE ${LIBXML2_DEFINITIONS})

# luvaro_link_static_runtime(<executable>)
# Not in the sanitizer and fuzzing trees, whose runtimes expect the shared C++ library.
function(luvaro_link_static_runtime target)
  if(LUVARO_SANITIZE OR LUVARO_FUZZ OR NOT LUVARO_LIBXML2_ARCHIVES)
    return()
  endif()
  set_target_properties(${target} PROPERTIES LUVARO_STATIC_RUNTIME ON)
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
endfunction()
