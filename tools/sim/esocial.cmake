# The eSocial stand-in's protocol logic, a library of its own so that the unit tests call it as
# pure functions; the luvaro-sim executable adds the HTTPS role (esocial_role.cpp).
pkg_check_modules(XMLSEC1_OPENSSL REQUIRED IMPORTED_TARGET xmlsec1-openssl)

add_library(luvaro_sim_esocial STATIC
  ${CMAKE_CURRENT_LIST_DIR}/esocial_xml.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_signature.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_soap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_lote.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_totalizador.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_retorno.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esocial_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_util.cpp)
target_include_directories(luvaro_sim_esocial PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(luvaro_sim_esocial
  PUBLIC luvaro_dfe_xml LibXml2::LibXml2 PkgConfig::XMLSEC1_OPENSSL OpenSSL::Crypto Threads::Threads)

# The role inside luvaro-sim (this file is included after the executable is defined).
target_sources(luvaro-sim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/esocial_role.cpp)
target_link_libraries(luvaro-sim PRIVATE luvaro_sim_esocial)
