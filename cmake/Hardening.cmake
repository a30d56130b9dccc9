# Optimised builds are hardened as Debian hardens its packages (dpkg-buildflags with
# DEB_BUILD_MAINT_OPTIONS=hardening=+all): stack protector, fortified C library calls,
# format strings checked, relocations read-only and bound at start, position-independent
# programs. Set here, so that a plain `cmake -DCMAKE_BUILD_TYPE=Release` without dpkg-dev
# gets them too. Sanitizer and fuzzing builds go without: the fortified calls would stop a
# fault before the sanitizer could report it.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

if(NOT TINSELWICK_SANITIZE AND NOT TINSELWICK_FUZZ)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options("$<${optimised}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
  # A compiler that fortifies by itself may do so at another level: this one counts.
  add_compile_options("$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options("$<${optimised}:LINKER:-z,relro;LINKER:-z,now>")
endif()
