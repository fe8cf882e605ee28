# The release for Windows users: zoble-VERSION-win32.zip or -win64.zip, with
# zoble.exe and a short readme, made by `cmake --build --preset NAME --target package`.
install(TARGETS zoble RUNTIME DESTINATION .)
# Notepad on older Windows shows a file with bare line feeds as one line.
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt.in ${CMAKE_BINARY_DIR}/readme.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/readme.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zoble)
set(CPACK_PACKAGE_VENDOR vud)
set(CPACK_PACKAGE_FILE_NAME zoble-${PROJECT_VERSION}-${ZOBLE_BUILD})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
