# Hardening of optimised builds (Release, RelWithDebInfo, MinSizeRel): a position-independent executable,
# the stack protector, fortified C library calls (they need optimisation, so Debug builds go without) and a
# relocation table made read-only after start-up with every symbol bound at once. Sanitizer builds are left
# (fuzz builds included) alone: the sanitizers bring their own checks and do not mix with the fortified calls.
#
# Qt is built with reduced relocations and demands -fPIC rather than -fPIE from code that uses it (its
# targets add -fPIC); objects built with -fPIC and linked with -pie make a position-independent executable.
if(NOT FWU_SANITIZE AND NOT FWU_TSAN AND NOT FWU_FUZZ)
  set(fwu_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options("$<${fwu_optimised}:-fPIC>" "$<${fwu_optimised}:-fstack-protector-strong>"
                      "$<${fwu_optimised}:-U_FORTIFY_SOURCE>" "$<${fwu_optimised}:-D_FORTIFY_SOURCE=2>")
  add_link_options("$<${fwu_optimised}:-pie>" "$<${fwu_optimised}:LINKER:-z,relro,-z,now>")
  unset(fwu_optimised)
endif()
