# The release for Windows users: zoble-VERSION-win32.zip or -win64.zip, with
# zoble.exe, zoble-check.exe (what the user's Windows does of what zoble
# relies on) and a short readme, made by `cmake --build --preset NAME --target package`.
install(TARGETS zoble zoble-check RUNTIME DESTINATION .)
# Notepad on older Windows shows a file with bare line feeds as one line.
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt.in ${CMAKE_BINARY_DIR}/readme.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/readme.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zoble)
set(CPACK_PACKAGE_VENDOR vud)
set(CPACK_PACKAGE_FILE_NAME zoble-${PROJECT_VERSION}-${ZOBLE_BUILD})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# cpack reads this when it runs: the zip's entries carry the commit's time
# (cmake/reproducible.cmake), and their MS-DOS local times are written in UTC,
# so that the zip is the same wherever it is made.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/cpack-stamps.cmake @ONLY CONTENT [[
set(ENV{SOURCE_DATE_EPOCH} @ZOBLE_SOURCE_DATE_EPOCH@)
set(ENV{TZ} UTC)
]])
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack-stamps.cmake)
include(CPack)
