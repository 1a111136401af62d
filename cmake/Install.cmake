# The installed layout: programs in bin/, the libraries that the program
# loads at run time in lib/solvane/ (the sensor driver below it in the same
# driver folder tree as in the build), the manual in share/doc/solvane/,
# example bench files in share/solvane/, the desktop entry and its icon.
# The programs find everything relative to their own folder, so any prefix works.
set(SOLVANE_INSTALL_LIBDIR lib/solvane)

install(TARGETS Solvane64 solvane-run RUNTIME DESTINATION bin)
if(TARGET solvane-benchd)
  install(TARGETS solvane-benchd RUNTIME DESTINATION bin)
endif()
# "solvane" starts the same program; its settings stay those of Solvane64.
install(CODE "file(CREATE_LINK Solvane64 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/solvane\" SYMBOLIC)")

install(TARGETS solvisa LIBRARY DESTINATION ${SOLVANE_INSTALL_LIBDIR})
install(TARGETS pwudrv_64 LIBRARY DESTINATION ${SOLVANE_INSTALL_LIBDIR}/vxipnp/Win64/Bin)
# The driver finds libsolvisa three folders up, installed as in the build.
set_target_properties(pwudrv_64 PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")

install(FILES ${SOLVANE_BIN_DIR}/Solvane.pdf DESTINATION share/doc/solvane)
file(GLOB example_benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.json)
install(FILES ${example_benches} DESTINATION share/solvane)
install(FILES ${CMAKE_SOURCE_DIR}/resources/solvane.desktop DESTINATION share/applications)
foreach(size 48 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/solvane-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME solvane.png)
endforeach()
