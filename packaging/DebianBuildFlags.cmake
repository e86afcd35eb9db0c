# Initial cache of the package build (`cmake -C`, scripts/package-check.sh):
# compiles and links with the distribution's flags, as a Debian package build
# does: fortified libc calls, the stack protector, and relocations made
# read-only and bound when the program loads. A plain build of the tree is
# left with the compiler's defaults.
#
# Debian's default set leaves immediate binding out; a package asks for all
# of the hardening, and options the caller gave come after, so they still win.
set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}")
foreach(kind CFLAGS CXXFLAGS CPPFLAGS LDFLAGS)
    execute_process(COMMAND dpkg-buildflags --get ${kind}
        OUTPUT_VARIABLE flags_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# CMake has no preprocessor flags of its own: they go with each compiler's.
# FORCE, so that configuring an existing package build takes them too.
set(CMAKE_C_FLAGS "${flags_CPPFLAGS} ${flags_CFLAGS}" CACHE STRING "C flags of the package build" FORCE)
set(CMAKE_CXX_FLAGS "${flags_CPPFLAGS} ${flags_CXXFLAGS}" CACHE STRING "C++ flags of the package build" FORCE)
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS "${flags_LDFLAGS}" CACHE STRING "Link flags of the package build" FORCE)
endforeach()
