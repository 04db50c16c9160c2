# Copies FROM to TO unless TO exists: the database beside the program is the user's.
if(NOT EXISTS "${TO}")
    get_filename_component(dir "${TO}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${FROM}" "${TO}")
    message(STATUS "Placed the supplied configuration database at ${TO}")
endif()
