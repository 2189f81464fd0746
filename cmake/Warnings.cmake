# The warnings every target of ours is built with; included after the last target is made.
#
# Beyond -Wall -Wextra: -Wpedantic (no compiler extensions slip in), -Wshadow (a local hiding a member
# or an outer name is a classic source of wrong reads), and the ones the code already meets, kept so
# that it goes on meeting them: destructors of polymorphic bases, hidden virtual overloads, casts
# that drop const, unannotated fall-through, and functions with external linkage but no declaration
# (a helper that should be in an anonymous namespace). Not -Wnull-dereference: g++ finds "null"
# pointers in Qt's inlined code (QObject::parent() through a QPointer) that cannot be null.
option(VELMOA_WERROR "Treat warnings as errors (on in the builds of test.sh and scripts/sanitize.sh)" OFF)

set(VELMOA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual
                    -Wimplicit-fallthrough -Wmissing-declarations)
if(VELMOA_WERROR)
  list(APPEND VELMOA_WARNINGS -Werror)
endif()

# Every compiled target made in this folder: the layers, the print module, the program, the tests,
# the bench and the fuzz drivers and targets.
function(velmoa_apply_warnings)
  get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      target_compile_options(${target} PRIVATE ${VELMOA_WARNINGS})
    endif()
  endforeach()

  # The test programs build their fixtures from aggregates whose trailing fields keep their defaults
  # when a case leaves them out ({.width = 4, .height = 2}): that is the point, not an oversight.
  # After the set above: clang lets a later -Wextra turn the warning back on.
  foreach(target velmoa_tests velmoa_x11_tests velmoa_sound_tests velmoa_cups_tests velmoa_wayland_tests
                 velmoa_bench fuzz_seeds)
    if(TARGET ${target})
      target_compile_options(${target} PRIVATE -Wno-missing-field-initializers)
    endif()
  endforeach()
endfunction()

