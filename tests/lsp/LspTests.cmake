# vln lsp driven by real clients: Node with the protocol library editors are
# built on, and neovim's own client. The npm packages go into the build
# folder, once, before the tests that need them.
function(velnori_lsp_node_tests prefix vln)
  cmake_parse_arguments(ARG "" "" "ENV;LABELS" ${ARGN})
  set(modules ${CMAKE_BINARY_DIR}/lsp-client)
  set(runner ${PROJECT_SOURCE_DIR}/tests/lsp/run-node-test.sh)
  add_test(NAME ${prefix}.setup COMMAND ${runner} setup ${modules})
  set_tests_properties(${prefix}.setup PROPERTIES FIXTURES_SETUP ${prefix} TIMEOUT 300 LABELS "${ARG_LABELS}")
  foreach(name Features Hostile CheckAgreement)
    add_test(NAME ${prefix}.${name} COMMAND ${runner} run ${modules} ${vln} ${name}.test.js ${ARG_ENV})
    set_tests_properties(${prefix}.${name} PROPERTIES FIXTURES_REQUIRED ${prefix} TIMEOUT 600
      LABELS "${ARG_LABELS}")
  endforeach()
endfunction()
