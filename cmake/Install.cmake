# Installs the headers under include/mojiwa, the library, a CMake package (Mojiwa::mojiwa) and a
# pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS mojiwa EXPORT MojiwaTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${MOJIWA_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mojiwa)

set(MOJIWA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Mojiwa)
install(EXPORT MojiwaTargets NAMESPACE Mojiwa:: DESTINATION ${MOJIWA_CMAKE_DIR})
configure_package_config_file(cmake/MojiwaConfig.cmake.in
  "${PROJECT_BINARY_DIR}/MojiwaConfig.cmake" INSTALL_DESTINATION ${MOJIWA_CMAKE_DIR})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/MojiwaConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/MojiwaConfig.cmake"
              "${PROJECT_BINARY_DIR}/MojiwaConfigVersion.cmake"
        DESTINATION ${MOJIWA_CMAKE_DIR})

if(BUILD_SHARED_LIBS)
  set(MOJIWA_PC_CFLAGS "")
else()
  set(MOJIWA_PC_CFLAGS "-DMOJIWA_STATIC")
endif()
configure_file(cmake/mojiwa.pc.in "${PROJECT_BINARY_DIR}/mojiwa.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/mojiwa.pc" DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
