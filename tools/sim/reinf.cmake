# The EFD-Reinf stand-in's protocol logic, a library of its own so that the unit tests call it as
# pure functions; the luvaro-sim executable adds the HTTPS role (reinf_role.cpp). It shares the
# eSocial stand-in's XML, signature and SOAP pieces (luvaro_sim_esocial).
add_library(luvaro_sim_reinf STATIC
  ${CMAKE_CURRENT_LIST_DIR}/reinf_lote.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_retorno.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_totalizador.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_consulta.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reinf_rest.cpp)
target_include_directories(luvaro_sim_reinf PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(luvaro_sim_reinf PUBLIC luvaro_sim_esocial)

# The role inside luvaro-sim (this file is included after the executable is defined).
target_sources(luvaro-sim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/reinf_role.cpp)
target_link_libraries(luvaro-sim PRIVATE luvaro_sim_reinf)
