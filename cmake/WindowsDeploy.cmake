# Windows installation: the programs in bin/ with everything they load beside them (the Qt libraries, the
# platform, style and image plugins in the folders Qt looks for next to the program, the mingw runtime),
# so that the installed folder runs on a machine without Qt; and `cpack -G NSIS`, the installer.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Network)

foreach(library Core Gui Widgets Network)
    install(FILES $<TARGET_FILE:Qt6::${library}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
        DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> $<TARGET_FILE:Qt6::QGifPlugin>
        DESTINATION ${CMAKE_INSTALL_BINDIR}/imageformats)

# The compiler's runtime: found in the cross compiler's folders, or beside the compiler on Windows.
get_filename_component(kvd_compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
foreach(runtime libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    string(MAKE_C_IDENTIFIER ${runtime} variable)
    find_file(KVD_RUNTIME_${variable} ${runtime} PATHS ${KVD_MINGW_RUNTIME_DIRS} ${kvd_compiler_dir}
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(KVD_RUNTIME_${variable})
        install(FILES ${KVD_RUNTIME_${variable}} DESTINATION ${CMAKE_INSTALL_BINDIR})
    elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        message(FATAL_ERROR "The mingw runtime ${runtime} was not found")
    endif()
endforeach()

# cpack -G NSIS: KvdUIBuilder-<version>-win64.exe installs under Program Files, adds a Start-menu entry,
# registers .kvdui layouts to open in the builder, and removes all of it again when uninstalled.
set(CPACK_GENERATOR NSIS)
# One installer with everything: the programs and the runtime library's SDK (kvdui.dll, its import library
# and the headers), not a choice of components.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_PACKAGE_NAME KvdUIBuilder)
set(CPACK_PACKAGE_VENDOR Korvadia)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Designer for the on-screen button layouts of the Korvadia simulator")
set(CPACK_PACKAGE_FILE_NAME KvdUIBuilder-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Korvadia UI Builder")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KvdUIBuilder")
set(CPACK_PACKAGE_EXECUTABLES KvdUIBuilder "Korvadia UI Builder")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/dist/windows/installer-notes.txt)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer, as the programs are (and as a 64-bit-only Wine can run).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME "Korvadia UI Builder")
set(CPACK_NSIS_DISPLAY_NAME "Korvadia UI Builder ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/dist/windows/KvdUIBuilder.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/dist/windows/KvdUIBuilder.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\KvdUIBuilder.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(kvd_open "\\\"$INSTDIR\\\\bin\\\\KvdUIBuilder.exe\\\" \\\"%1\\\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKCR '.kvdui' '' 'Korvadia.KvdUILayout'
  WriteRegStr HKCR '.kvdui' 'Content Type' 'application/x-kvdui'
  WriteRegStr HKCR 'Korvadia.KvdUILayout' '' 'Korvadia UI layout'
  WriteRegStr HKCR 'Korvadia.KvdUILayout\\\\DefaultIcon' '' '$INSTDIR\\\\bin\\\\KvdUIBuilder.exe,0'
  WriteRegStr HKCR 'Korvadia.KvdUILayout\\\\shell\\\\open\\\\command' '' '${kvd_open}'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  ReadRegStr $0 HKCR '.kvdui' ''
  StrCmp $0 'Korvadia.KvdUILayout' 0 +2
  DeleteRegKey HKCR '.kvdui'
  DeleteRegKey HKCR 'Korvadia.KvdUILayout'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
")
include(CPack)
