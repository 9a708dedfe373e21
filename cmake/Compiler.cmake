# Warnings, sanitizers and the Windows link model shared by every target.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  # UTF-16 entry points and a recent enough Windows API surface.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Every program ships alone: no compiler runtime DLLs next to it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(VYRN_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "Sanitizers are for the native build only")
  endif()
  add_compile_options(-fsanitize=${VYRN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VYRN_SANITIZE})
endif()

# Sources are UTF-8; the launcher's narrow texts are code page 936 bytes, as
# on the Simplified Chinese systems it runs on. Wide literals stay UTF-16.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8> $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP936>)
