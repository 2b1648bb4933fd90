# ruckvale_warnings(target): the project's own code builds warning-free, with
# warnings treated as errors, on g++, clang and the mingw-w64 cross compiler.
function(ruckvale_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Werror)
  endif()
endfunction()
