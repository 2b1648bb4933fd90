# ruckvale_warnings(target): the project's own code builds warning-free, with
# warnings treated as errors, on g++ (the dev preset), clang (the sanitize and
# fuzz presets) and the mingw-w64 cross compiler (the windows preset).
function(ruckvale_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wnon-virtual-dtor -Wold-style-cast -Werror)
    # GCC 12 warns -Wrestrict inside std::string's operator+ when it inlines
    # it at -O3 ("literal" + std::to_string(n)), a false positive of its own
    # headers (GCC bug 105329), seen under mingw-w64.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()
