# What the Windows programs need beside them on a machine without Qt, put where Qt's
# deployment tool would put it: Qt's DLLs and the MinGW runtime next to the programs, the
# plugins in their folders, Qt's Spanish texts in translations/, and a qt.conf that tells
# Qt to look there. `cmake --install` then gives a folder that runs as it is.

set(BRAZO_MINGW_RUNTIME_DIRS /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  find_file(BRAZO_RUNTIME_${dll} ${dll} PATHS ${BRAZO_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT BRAZO_RUNTIME_${dll})
    message(FATAL_ERROR "No se encontró ${dll} del compilador MinGW-w64 en ${BRAZO_MINGW_RUNTIME_DIRS}")
  endif()
  install(FILES ${BRAZO_RUNTIME_${dll}} DESTINATION .)
endforeach()

foreach(module Core Gui Widgets Network Sql PrintSupport)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
# The window system, the native look, the database driver, and .ico pictures (the serial
# terminal's icon).
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QSQLiteDriverPlugin> DESTINATION sqldrivers)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> DESTINATION imageformats)

# Qt's texts in Spanish: the same files on every system, taken from this machine's Qt.
find_file(BRAZO_QTBASE_ES qtbase_es.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT BRAZO_QTBASE_ES)
  message(FATAL_ERROR "No se encontró qtbase_es.qm: instale qt6-translations-l10n")
endif()
install(FILES ${BRAZO_QTBASE_ES} DESTINATION translations)
file(WRITE ${CMAKE_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
install(FILES ${CMAKE_BINARY_DIR}/qt.conf DESTINATION .)
