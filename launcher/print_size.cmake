# Prints the size of FILE in KB (rounded up).
file(SIZE ${FILE} bytes)
math(EXPR kb "(${bytes} + 1023) / 1024")
get_filename_component(name ${FILE} NAME)
message(STATUS "${name}: ${kb} KB (${bytes} bytes)")
