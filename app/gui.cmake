# The calculator window and its dialogs.
add_library(quilvar_app_gui STATIC
  AboutDialog.cpp AppIcon.cpp CalculatorWindow.cpp FixedDialog.cpp GapLabel.cpp HelpDialog.cpp LayoutRule.cpp NoticeBar.cpp
  QtTranslations.cpp RecentQuotesDialog.cpp Startup.cpp UiFont.cpp VendorLinks.cpp)
target_link_libraries(quilvar_app_gui PUBLIC
  quilvar_sheet quilvar_sheet_gui quilvar_costline_gui quilvar_common_gui quilvar_app_rules quilvar_excel_gui
  quilvar_db_gui quilvar_sheet_query_gui quilvar_quote_gui quilvar_memory Qt6::Widgets)
# Paste, copy, undo and redo over the list.
target_sources(quilvar_app_gui PRIVATE SheetEditCommands.cpp)

# A windowed program on Windows: no console window opens beside it, none ends it.
add_executable(quilvar WIN32 main.cpp)
target_link_libraries(quilvar PRIVATE quilvar_app_gui)
quilvar_windows_program(quilvar "Quilvar 旅游报价计算器")

# A build comes with the sample settings beside the executable, so that a host launch against
# the bundled SQLite database works at once. A settings file already there is left alone.
foreach(sample default.ini tour.sqlite)
  if(NOT EXISTS ${CMAKE_CURRENT_BINARY_DIR}/${sample})
    file(COPY ${PROJECT_SOURCE_DIR}/data/sample/${sample} DESTINATION ${CMAKE_CURRENT_BINARY_DIR}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE)
  endif()
endforeach()

include(GNUInstallDirs)
install(TARGETS quilvar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/quilvar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/quilvar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Drives the window into the states that tools/screenshots.sh photographs.
add_executable(quilvar-screenshot-driver ${PROJECT_SOURCE_DIR}/tools/ScreenshotDriver.cpp)
target_link_libraries(quilvar-screenshot-driver PRIVATE quilvar_app_gui PkgConfig::XLSXWRITER) # it writes a workbook to import

# `cpack -G DEB` in the build tree makes a Debian package of what is installed above. The windows
# are drawn with Noto Sans CJK SC or WenQuanYi Zen Hei (UiFont.cpp); the package depends on them,
# so that the package manager brings in a CJK font where the desktop has none, on Qt's platform
# plugins, which the library packages only recommend, on Qt's own Chinese texts, and on the
# libraries opened when first needed.
set(CPACK_PACKAGE_NAME quilvar)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "Orvane <support@orvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tour price calculator")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libzip and libxlsxwriter are opened when first needed, not linked, so the automatic dependencies
# miss them: named here the way Debian names a library's package after its SONAME (libzip.so.4 is
# in libzip4).
set(QUILVAR_LAZY_PACKAGES)
foreach(soname IN ITEMS ${QUILVAR_LIBZIP_FILE_NAME} ${QUILVAR_LIBXLSXWRITER_FILE_NAME})
  string(REGEX REPLACE "^(.*)\\.so\\.([0-9]+)$" "\\1\\2" package ${soname})
  string(APPEND QUILVAR_LAZY_PACKAGES ", ${package}")
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-noto-cjk | fonts-wqy-zenhei, qt6-qpa-plugins, qt6-translations-l10n${QUILVAR_LAZY_PACKAGES}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
