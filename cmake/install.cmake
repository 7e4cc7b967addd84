# What `cmake --install` puts in place for a host: the libraries, kmcdoc, the headers to compile
# against, a CMake package (find_package(vxostrel): vxostrel::vxostrel, vxostrel::nox and the host
# library with the C entry points, vxostrel::kmcdochost), a pkg-config file (vxostrel) and the
# Python package. Everything is relative to the prefix, so an installed tree can be
# moved.
include(CMakePackageConfigHelpers)

set(KMC_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/kmcdoc)
set(KMC_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/vxostrel)

# The platform headers a host compiles against: those the interfaces in include/ use, and those
# for creating objects through the class registry, owning references and strings, and reading and
# writing XML trees. Each must include only headers of this list (CI compiles each on its own).
set(KMC_INSTALLED_PLATFORM_HEADERS
    com/base.h com/interfaces.h com/oleauto.h
    nox/comptr.h nox/registry.h nox/result.h nox/strings.h nox/unknown.h nox/variant.h
    typelib/members.h
    xmltree/xmltree.h
    xpcom/xpcom.h)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${KMC_INSTALL_INCLUDEDIR})
foreach(header ${KMC_INSTALLED_PLATFORM_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/${header} DESTINATION ${KMC_INSTALL_INCLUDEDIR}/${folder})
endforeach()

# Installed binaries find the libraries beside them (libvxostrel finds libnox) or in the
# prefix's library folder (kmcdoc), wherever the prefix is.
file(RELATIVE_PATH KMC_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(kmcdoc PROPERTIES INSTALL_RPATH "$ORIGIN/${KMC_BIN_TO_LIB}")
set_target_properties(vxostrel kmcdochost PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS nox vxostrel kmcdochost EXPORT vxostrelTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${KMC_INSTALL_INCLUDEDIR})
install(TARGETS kmcdoc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT vxostrelTargets NAMESPACE vxostrel:: DESTINATION ${KMC_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vxostrelConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/vxostrelConfig.cmake
                              INSTALL_DESTINATION ${KMC_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/vxostrelConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/vxostrelConfig.cmake ${CMAKE_BINARY_DIR}/vxostrelConfigVersion.cmake
        DESTINATION ${KMC_INSTALL_CMAKEDIR})

file(RELATIVE_PATH KMC_PKGCONFIG_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KMC_PKGCONFIG_TO_PREFIX "${KMC_PKGCONFIG_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vxostrel.pc.in ${CMAKE_BINARY_DIR}/vxostrel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vxostrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
