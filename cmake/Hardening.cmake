# Debian's hardening, with the flags dpkg-buildflags gives every package built the Debian way:
# stack protector, fortified C library calls, format checks, and a global offset table made
# read-only before the program starts (relro, bindnow). Every optimised native build without
# sanitizers gets them, so that the tests run the code that the package ships. Fortification
# needs the optimiser, the sanitizers check memory their own way, and dpkg-buildflags speaks for
# this machine's architecture, not a cross build's. The optimisation and debug flags stay CMake's.
# dpkg-buildflags also maps the source folder to "." in the file names that the compiler writes
# into the binaries, so no build path ends up in the package.
if(QUANTELO_SANITIZE OR QUANTELO_FUZZ OR CMAKE_CROSSCOMPILING
   OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  return()
endif()

# Elsewhere than on Debian (a Windows or macOS build) the platform's own defaults stand.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "Hardening: no dpkg-buildflags, the compiler's defaults")
  return()
endif()

# The flags of one kind (CPPFLAGS, CXXFLAGS, LDFLAGS) as a list, without -g and -O2.
function(quantelo_dpkg_buildflags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            "DEB_${kind}_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

quantelo_dpkg_buildflags(CPPFLAGS preprocessor_flags)
quantelo_dpkg_buildflags(CXXFLAGS compiler_flags)
quantelo_dpkg_buildflags(LDFLAGS linker_flags)
add_compile_options(${preprocessor_flags} ${compiler_flags})
add_link_options(${linker_flags})
message(STATUS "Hardening: ${preprocessor_flags};${compiler_flags};${linker_flags}")
