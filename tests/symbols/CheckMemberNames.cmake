# Fails when a member function of the programs' own classes carries a name that <windows.h>
# renamed: with UNICODE defined, a macro such as MessageBox turns a member of that name into
# MessageBoxW in the files that include the header and leaves it alone in the others, so one
# class would have two definitions. No member of ours is meant to end in a capital W.
#   cmake -DNM=<nm> -DLIBRARIES=<a;b;...> -P CheckMemberNames.cmake
foreach(library IN LISTS LIBRARIES)
  execute_process(COMMAND ${NM} -C --defined-only ${library}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${library}")
  endif()
  string(REGEX MATCHALL "(tk|base|services|selector|setup)::[A-Za-z0-9_:<>]*::[A-Za-z0-9_]*[a-z]W\\("
         renamed "${symbols}")
  list(REMOVE_DUPLICATES renamed)
  foreach(name IN LISTS renamed)
    message(SEND_ERROR "${library}: member renamed by <windows.h>: ${name}")
  endforeach()
endforeach()
