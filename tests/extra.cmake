# Extra wiring for the data tests: the builder's parsers and writers, and the data checker
# run on the built game directory.
if(TARGET test_data)
  target_link_libraries(test_data PRIVATE vornu_datacheck vornu_databuild_steps vornu_raster)
endif()
# The music and item tests check the builder's writers.
foreach(program test_music test_items)
  if(TARGET ${program})
    target_link_libraries(${program} PRIVATE vornu_databuild_steps)
  endif()
endforeach()
if(TARGET vornu-datacheck)
  add_test(NAME datacheck COMMAND vornu-datacheck ${VORNU_GAME_DIR})
endif()
# The catalogues: the template is current, every catalogue translates all of it, and the
# Finnish data stays what it was.
if(TARGET test_lang)
  target_link_libraries(test_lang PRIVATE vornu_datacheck vornu_databuild_steps vornu_raster)
endif()
if(TARGET vornu-databuild)
  add_test(NAME template_current COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/lang/check-template.sh
    $<TARGET_FILE:vornu-databuild> ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/template-check)
  add_test(NAME catalogues_complete
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/lang/check-catalogues.sh ${CMAKE_SOURCE_DIR})
  add_test(NAME finnish_data_unchanged COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/lang/finnish-sums.sh
    check ${VORNU_GAME_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/lang/finnish.sha256)
endif()
if(TARGET vornu-contactsheet)
  # The contact sheet must come out of the built game directory without a fault.
  add_test(NAME contactsheet
    COMMAND vornu-contactsheet ${VORNU_GAME_DIR} ${CMAKE_BINARY_DIR}/contact-sheet)
endif()
# The monkey: the player library and its program; the short run is in test_monkey.
add_subdirectory(monkey/driver)
if(TARGET test_monkey)
  target_link_libraries(test_monkey PRIVATE vornu_monkey)
endif()
