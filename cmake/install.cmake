# `cmake --install build --prefix P` puts the public headers, the static
# libraries and a package configuration under P, so that another project finds
# it with find_package(kesta) and links kesta::kesta, and kesta::fit where
# kesta-fit is built (fit/CMakeLists.txt adds its libraries to the export).
include(CMakePackageConfigHelpers)

install(TARGETS kesta_core EXPORT kestaTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS kesta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/kesta DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT kestaTargets NAMESPACE kesta:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kesta)

configure_package_config_file(cmake/kestaConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/kestaConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kesta)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/kestaConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kestaConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/kestaConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kesta)
