# Two builds of one commit give the same programs and the same zip, byte for
# byte: every time stamp is the commit's time (SOURCE_DATE_EPOCH), and no
# path of the machine that built it gets into a program.
#
# An explicit SOURCE_DATE_EPOCH in the environment wins; without git (a copy
# of the sources without their history) the stamp is a fixed date.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ZOBLE_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  set(stamp_source "SOURCE_DATE_EPOCH")
else()
  set(ZOBLE_SOURCE_DATE_EPOCH 946684800)  # 2000-01-01 00:00 UTC
  set(stamp_source "no commit found: a fixed date")
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE failed
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
      set(ZOBLE_SOURCE_DATE_EPOCH ${commit_time})
      set(stamp_source "the commit's time")
      # HEAD's log moves with every commit and checkout: configure again then,
      # so that the stamp follows the commit.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute
                              --git-path logs/HEAD
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(EXISTS "${head_log}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
      endif()
    endif()
  endif()
endif()
message(STATUS "Time stamps: ${ZOBLE_SOURCE_DATE_EPOCH}, ${stamp_source}")

# GNU ld takes the PE time stamp from SOURCE_DATE_EPOCH; the PE checksum then
# follows from the bytes.
foreach(language C CXX)
  set(CMAKE_${language}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env
                                        SOURCE_DATE_EPOCH=${ZOBLE_SOURCE_DATE_EPOCH})
endforeach()
# __FILE__ (an assert, say) names files relative to the tree, not this machine.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
