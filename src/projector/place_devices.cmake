# Copies FROM to TO unless TO exists: a library beside the program is the user's, and may be an
# Access file put there in place of the supplied one.
if(NOT EXISTS "${TO}")
    get_filename_component(dir "${TO}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    file(COPY_FILE "${FROM}" "${TO}")
    message(STATUS "Placed the supplied projector library at ${TO}")
endif()
