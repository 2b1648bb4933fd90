# RUCKVALE_SANITIZE=address,undefined builds everything with those sanitizers,
# stopping at the first error.
if(RUCKVALE_SANITIZE)
  add_compile_options(-fsanitize=${RUCKVALE_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${RUCKVALE_SANITIZE})
endif()
