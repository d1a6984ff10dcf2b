# Runs the generator into a scratch folder and fails unless every file it
# makes equals the committed one byte for byte.
file(REMOVE_RECURSE ${OUTPUT_DIR})
execute_process(COMMAND ${GENERATOR} ${OUTPUT_DIR} RESULT_VARIABLE generator_result)
if(NOT generator_result EQUAL 0)
  message(FATAL_ERROR "payload_generator failed: ${generator_result}")
endif()

set(generated_files
    payload/record_base.bin payload/record_expansion.bin
    payload/face_l.bin payload/face_m.bin payload/face_s.bin
    icon/app.ico)
foreach(file ${generated_files})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${OUTPUT_DIR}/${file} ${COMMITTED_DIR}/${file}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${file} differs from the committed copy; run tools/make-payload.sh")
  endif()
endforeach()
