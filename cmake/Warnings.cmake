# ruckvale_warnings(target): the project's own code builds warning-free, with
# warnings treated as errors, on g++ (the dev preset), clang (the sanitize and
# fuzz presets) and the mingw-w64 cross compiler (the windows preset).
function(ruckvale_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Werror)
  endif()
endfunction()
