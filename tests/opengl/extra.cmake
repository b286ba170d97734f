target_link_libraries(test_opengl PRIVATE PNG::PNG)
