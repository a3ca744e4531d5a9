# Warnings on and clean everywhere.
function(lumiveil_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
